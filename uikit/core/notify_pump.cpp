#include "uikit/core/notify_pump.h"

namespace uikit {

void CNotifyPump::AddVirtualWnd(std::string name, INotifyUI* handler) {
    RemoveVirtualWnd(name);
    pages_.emplace_back(std::move(name), handler);
}

void CNotifyPump::RemoveVirtualWnd(const std::string& name) {
    for (auto it = pages_.begin(); it != pages_.end(); ++it) {
        if (it->first == name) {
            pages_.erase(it);
            return;
        }
    }
}

bool CNotifyPump::RouteToPage(TNotifyUI& msg) {
    if (msg.virtualWnd.empty()) return false;
    for (auto& [name, handler] : pages_) {
        if (name == msg.virtualWnd && handler) {
            handler->Notify(msg);
            return true;
        }
    }
    return false;
}

}  // namespace uikit
