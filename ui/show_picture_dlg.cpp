#include "ui/show_picture_dlg.h"

#include "platform/ascii.h"
#include "ui/window_styles.h"
#include "ui/xprogress.h"
#include "uikit/controls/progress.h"
#include "uikit/controls/tab_layout.h"

#include <cstring>

namespace qnb::ui {

CShowPictureDlg::CShowPictureDlg() = default;

CShowPictureDlg::CountdownAnswer CShowPictureDlg::RunCountdown(HWND owner) {
    CShowPictureDlg dialog;
    // A countdown nobody saw is no consent to restart.
    if (!dialog.Create(owner, "showpicture", kWindowStyle, WS_EX_WINDOWEDGE)) return kCountdownNoAnswer;
    dialog.StartCountdown();
    UINT result = dialog.ShowModal();
    if (result == kRestartNow || result == kRestartLater) return static_cast<CountdownAnswer>(result);
    return kCountdownNoAnswer;
}

void CShowPictureDlg::RunPicture(HWND owner, const std::string& path) {
    CShowPictureDlg dialog;
    dialog.SetPicture(path);
    if (!dialog.Create(owner, "showpicture", kWindowStyle, WS_EX_WINDOWEDGE)) return;
    dialog.ShowModal();
}

std::unique_ptr<uikit::CControlUI> CShowPictureDlg::CreateControl(std::string_view tag) {
    if (ascii::EqualsIgnoringCase(tag, CXProgressUI::kElement)) return std::make_unique<CXProgressUI>();
    return nullptr;
}

void CShowPictureDlg::SetPicture(const std::string& path) {
    picture_ = path;
    if (uikit::CControlUI* page = FindControl("image_layout")) page->SetBkImage(path);
}

void CShowPictureDlg::StartCountdown() {
    countingDown_ = 1;
    ApplyCountdown();
}

void CShowPictureDlg::ApplyCountdown() {
    if (!GetHWND() || !countingDown_) return;
    if (auto* tab = Find<uikit::CTabLayoutUI>("pic_tab")) tab->SelectItem(1);
    SetTimer(RebootCountdown::kTimerId, RebootCountdown::kTimerMs);
}

void CShowPictureDlg::InitWindow() {
    if (!picture_.empty()) SetPicture(picture_);
    ApplyCountdown();
    // Over the whole primary screen, above everything.
    SetWindowPos(GetHWND(), HWND_TOPMOST, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                 SWP_SHOWWINDOW);
}

void CShowPictureDlg::Notify(uikit::TNotifyUI& msg) {
    if (msg.type != uikit::notify::kClick || !msg.sender) return;
    if (msg.sender->GetName() == "btn_reboot") Close(1);
    else if (msg.sender->GetName() == "btn_cancle") Close(2);
}

LRESULT CShowPictureDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    handled = false;
    if (msg == WM_LBUTTONDOWN && !countingDown_) {
        handled = true;
        Close(1);
    } else if (msg == WM_TIMER && wParam == RebootCountdown::kTimerId) {
        handled = true;
        RebootCountdown::Step step = countdown_.Tick();
        if (auto* progress = Find<uikit::CProgressUI>("pedownload_progress")) {
            progress->SetText(step.text);
            progress->SetValue(step.value);
        }
        if (step.done) Close(1);
    }
    return 0;
}

}  // namespace qnb::ui
