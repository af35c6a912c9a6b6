#include "ui/error_msg_dlg.h"

#include "ui/error_message.h"
#include "ui/guide_dlg.h"
#include "ui/shared_windows.h"
#include "ui/window_styles.h"

namespace qnb::ui {

CErrorMsgDlg::CErrorMsgDlg(SecurityDetector& detector) : detector_(detector) {}

UINT CErrorMsgDlg::Run(HWND owner, const std::string& message, SecurityDetector& detector) {
    CErrorMsgDlg dialog(detector);
    dialog.SetMessage(message);
    if (!dialog.Create(owner, "LostFile", kPopupStyle, kTopmostExStyle)) return IDCANCEL;
    dialog.CenterWindow();
    return dialog.ShowModal();
}

void CErrorMsgDlg::OnCreate() { SetShadow(WindowShadow()); }

void CErrorMsgDlg::InitWindow() {
    auto [first, second] = SplitMessage(message_);
    // Both always set: the layout's own texts are never seen.
    if (uikit::CControlUI* msg1 = FindControl("msg1")) msg1->SetText(first);
    if (uikit::CControlUI* msg2 = FindControl("msg2")) msg2->SetText(second);
}

void CErrorMsgDlg::Notify(uikit::TNotifyUI& msg) {
    if (msg.type != uikit::notify::kClick || !msg.sender) return;
    if (msg.sender->GetName() == "btn_ok") Close(1);
    else if (msg.sender->GetName() == "btn_how") CGuideToCloseSafe::Run(GetHWND(), detector_);
}

}  // namespace qnb::ui
