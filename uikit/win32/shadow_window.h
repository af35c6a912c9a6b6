// A window's drop shadow: a click-through layered window just below it in
// the z-order, holding the shadow picture, moved and shown with it.
#pragma once

#include "uikit/core/shadow_bitmap.h"

#include <windows.h>

namespace uikit {

class ShadowWindow {
public:
    ShadowWindow(HWND target, const ShadowSettings& settings);
    ~ShadowWindow();
    ShadowWindow(const ShadowWindow&) = delete;
    ShadowWindow& operator=(const ShadowWindow&) = delete;

    // Takes the target's place and size (hidden while it is hidden or minimised).
    void Follow();
    // With the target's WM_SHOWWINDOW: shown just before it, hidden with it.
    void Show(bool show);

private:
    void Paint(Size window);

    HWND target_;
    HWND hwnd_ = nullptr;
    ShadowSettings settings_;
    Size painted_;
    bool shown_ = false;
};

}  // namespace uikit
