// What the windows ask of the desktop besides their own drawing: message
// boxes and opening web pages. Tests put a recorder in its place.
#pragma once

#include <windows.h>

#include <string>

namespace qnb::ui {

class Desktop {
public:
    virtual ~Desktop() = default;
    // A message box (MB_* type) owned by owner; returns the button (IDOK, IDYES, IDNO ...).
    virtual int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT type) = 0;
    // Opens a web page with the shell's "open" verb (show: SW_SHOWMAXIMIZED or SW_SHOWNORMAL).
    virtual void OpenUrl(const std::string& url, int show) = 0;
};

// The real desktop.
Desktop& SystemDesktop();

}  // namespace qnb::ui
