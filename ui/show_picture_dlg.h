// CShowPictureDlg: a full-screen, topmost window that either counts down
// to a restart in the circular progress control, or shows a picture until
// it is clicked.
#pragma once

#include "ui/countdowns.h"
#include "uikit/win32/window_impl_base.h"

namespace qnb::ui {

class CShowPictureDlg : public uikit::WindowImplBase {
public:
    CShowPictureDlg();

    // The answers of the restart countdown. Only kRestartNow restarts.
    enum CountdownAnswer : UINT {
        // The window could not be made, or was closed some other way: the
        // caller asks its restart question in a message box instead.
        kCountdownNoAnswer = 0,
        kRestartNow = 1,    // the time ran out, or "立即重启"
        kRestartLater = 2,  // "稍后重启"
    };
    // The restart countdown over owner.
    static CountdownAnswer RunCountdown(HWND owner);
    // Shows a picture over owner until it is clicked.
    static void RunPicture(HWND owner, const std::string& path);

    // The picture of page 0 (a file path).
    void SetPicture(const std::string& path);
    // Page 1 and the 250 ms ticks.
    void StartCountdown();
    bool CountingDown() const { return countingDown_ != 0; }
    const RebootCountdown& Countdown() const { return countdown_; }

    std::string GetWindowClassName() const override { return "showpicture"; }
    std::string GetSkinFile() const override { return "ShowPictrue.xml"; }
    std::unique_ptr<uikit::CControlUI> CreateControl(std::string_view tag) override;

protected:
    void InitWindow() override;
    void Notify(uikit::TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void ApplyCountdown();

    uint8_t countingDown_ = 0;
    RebootCountdown countdown_;
    std::string picture_;
};

}  // namespace qnb::ui
