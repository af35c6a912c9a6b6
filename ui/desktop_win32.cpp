#include "ui/desktop.h"

#include "platform/text.h"
#include "ui/main_logic.h"

#include <shellapi.h>

namespace qnb::ui {

namespace {

class Win32Desktop : public Desktop {
public:
    int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT type) override {
        return MessageBoxW(owner, text::Wide(text).c_str(), text::Wide(caption).c_str(), type);
    }
    void OpenUrl(const std::string& url, int show) override {
        // The program runs elevated: nothing but a web page is handed to the shell.
        if (!IsWebAddress(url)) return;
        ShellExecuteW(nullptr, L"open", text::Wide(url).c_str(), nullptr, nullptr, show);
    }
};

}  // namespace

Desktop& SystemDesktop() {
    static Win32Desktop desktop;
    return desktop;
}

}  // namespace qnb::ui
