#include "ui/waring_dlg.h"

#include "ui/guide_dlg.h"
#include "ui/shared_windows.h"
#include "ui/window_styles.h"

namespace qnb::ui {

CWaring::CWaring(AppContext& context, SecurityDetector& detector, WaringCountdown& countdown)
    : context_(context), detector_(detector), countdown_(countdown) {}

WaringCountdown& CWaring::ProcessCountdown() {
    static WaringCountdown countdown;
    return countdown;
}

void CWaring::Run(HWND owner, AppContext& context, SecurityDetector& detector) {
    CWaring waring(context, detector);
    if (!waring.Create(owner, "Waring", kWindowStyle, kTopmostExStyle)) return;
    waring.CenterWindow();
    waring.ShowModal();
}

void CWaring::OnCreate() { SetShadow(WindowShadow()); }

void CWaring::InitWindow() {
    uikit::CControlUI* button = FindControl("btn_iknow");
    if (context_.Handoff().showedNote) {
        if (button) {
            button->SetText(WaringCountdown::ButtonText(0));
            button->SetEnabled(true);
        }
        return;
    }
    // Recorded at once (SETTING.JSON is saved): the wait happens once.
    context_.SetNoteShown();
    if (button) {
        button->SetText(WaringCountdown::ButtonText(countdown_.Remaining()));
        button->SetEnabled(countdown_.Remaining() == 0);
    }
    if (countdown_.Remaining() > 0) SetTimer(kCountdownTimer, 1000);
}

void CWaring::Notify(uikit::TNotifyUI& msg) {
    if (msg.type != uikit::notify::kClick || !msg.sender) return;
    if (msg.sender->GetName() == "btn_iknow") Close(1);
    else if (msg.sender->GetName() == "btn_how") CGuideToCloseSafe::Run(GetHWND(), detector_);
}

LRESULT CWaring::HandleMessage(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    handled = false;
    if (msg == WM_TIMER && wParam == kCountdownTimer) {
        handled = true;
        int remaining = countdown_.Tick();
        uikit::CControlUI* button = FindControl("btn_iknow");
        if (button) button->SetText(WaringCountdown::ButtonText(remaining));
        if (remaining == 0) {
            KillTimer(kCountdownTimer);
            if (button) button->SetEnabled(true);
        }
    } else if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        handled = true;  // only "我知道了" closes the notice
    }
    return 0;
}

LRESULT CWaring::MessageFilter(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    handled = IsSwallowedKey(msg, static_cast<unsigned>(wParam));
    return 0;
}

}  // namespace qnb::ui
