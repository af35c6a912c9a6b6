// What a control is told (input, focus, timers) and what it tells the
// window (notifications by control name and event type).
#pragma once

#include "uikit/core/geometry.h"

#include <cstdint>
#include <string>

namespace uikit {

class CControlUI;

enum class EventType {
    kMouseEnter,
    kMouseLeave,
    kMouseMove,
    kButtonDown,
    kButtonUp,
    kDoubleClick,
    kScrollWheel,
    kSetFocus,
    kKillFocus,
    kTimer,
    kKeyDown,
};

struct TEventUI {
    EventType type = EventType::kMouseMove;
    Point pt;              // window client coordinates
    int wheelDelta = 0;    // kScrollWheel: positive away from the user (one notch = 120)
    unsigned key = 0;      // kKeyDown: virtual-key code
    unsigned timerId = 0;  // kTimer: the control's own timer id
};

// Notification types the windows handle.
namespace notify {
constexpr const char kClick[] = "click";
constexpr const char kSelectChanged[] = "selectchanged";
constexpr const char kItemSelect[] = "itemselect";
constexpr const char kItemClick[] = "itemclick";
constexpr const char kSetFocus[] = "setfocus";
constexpr const char kKillFocus[] = "killfocus";
constexpr const char kTabSelect[] = "tabselect";
constexpr const char kTextChanged[] = "textchanged";
}  // namespace notify

struct TNotifyUI {
    std::string type;        // one of notify::
    CControlUI* sender = nullptr;
    std::string virtualWnd;  // the sender's, or its nearest container's, virtualwnd name
    intptr_t wParam = 0;
    intptr_t lParam = 0;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

}  // namespace uikit
