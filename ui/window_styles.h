// Window styles the program's windows are created with.
#pragma once

#include <windows.h>

namespace qnb::ui {

// Popup, visible, caption, system menu, clipping children and siblings (0x96C80000).
constexpr DWORD kWindowStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
// The same, not visible: the window shows when it runs.
constexpr DWORD kPopupStyle = kWindowStyle & ~WS_VISIBLE;
// Application window with an edge (0x00040100).
constexpr DWORD kAppWindowExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
// Topmost with an edge (0x00000108).
constexpr DWORD kTopmostExStyle = WS_EX_TOPMOST | WS_EX_WINDOWEDGE;

static_assert(kWindowStyle == 0x96C80000, "the windows' style");
static_assert(kAppWindowExStyle == 0x00040100 && kTopmostExStyle == 0x00000108, "the windows' extended styles");

}  // namespace qnb::ui
