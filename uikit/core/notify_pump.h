// Routes notifications to page handlers by the virtualwnd name of the
// container that holds the sending control.
#pragma once

#include "uikit/core/event.h"

#include <string>
#include <utility>
#include <vector>

namespace uikit {

class CNotifyPump {
public:
    // handler gets the notifications of controls inside containers named name.
    void AddVirtualWnd(std::string name, INotifyUI* handler);
    void RemoveVirtualWnd(const std::string& name);
    // Hands msg to the page handler of its virtualwnd; false when there is none.
    bool RouteToPage(TNotifyUI& msg);

private:
    std::vector<std::pair<std::string, INotifyUI*>> pages_;
};

}  // namespace uikit
