#include "uikit/win32/message_loop.h"

#include "uikit/win32/framework.h"
#include "uikit/win32/window_impl_base.h"

namespace uikit {

bool PreTranslate(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    WindowImplBase* window = Framework::WindowOf(msg.hwnd);
    if (!window) return false;
    bool handled = false;
    window->FilterMessage(msg.message, msg.wParam, msg.lParam, handled);
    return handled;
}

int RunMessageLoop() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace uikit
