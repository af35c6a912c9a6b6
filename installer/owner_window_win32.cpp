#include "installer/owner_window_win32.h"

#include "ui/error_msg_dlg.h"
#include "ui/show_picture_dlg.h"
#include "uikit/controls/progress.h"

#include <cstdio>

namespace qnb::installer::win32 {

OwnerWindow::OwnerWindow(uikit::WindowImplBase& window, ui::Desktop& desktop, ui::SecurityDetector& detector,
                         Steps steps)
    : window_(window), desktop_(desktop), detector_(detector), steps_(std::move(steps)) {}

void OwnerWindow::SetControlText(const std::string& control, const std::string& text) {
    if (uikit::CControlUI* c = window_.FindControl(control)) c->SetText(text);
}

void OwnerWindow::SetControlValue(const std::string& control, int value) {
    if (auto* progress = dynamic_cast<uikit::CProgressUI*>(window_.FindControl(control))) progress->SetValue(value);
}

void OwnerWindow::SetControlTextColor(const std::string& control, uint32_t argb) {
    char color[10];
    std::snprintf(color, sizeof color, "#%08X", argb);
    if (uikit::CControlUI* c = window_.FindControl(control)) c->SetAttribute("textcolor", color);
}

void OwnerWindow::StartTimer(unsigned id, unsigned milliseconds) { window_.SetTimer(id, milliseconds); }

void OwnerWindow::StopTimer(unsigned id) { window_.KillTimer(id); }

void OwnerWindow::ShowFatalError(const std::string& text) { ui::CErrorMsgDlg::Run(window_.GetHWND(), text, detector_); }

void OwnerWindow::PrepareRestore() {
    if (steps_.prepareRestore) steps_.prepareRestore();
}

void OwnerWindow::HandOverBackup() {
    if (steps_.handOverBackup) steps_.handOverBackup();
}

CountdownResult OwnerWindow::RunCountdown() {
    return ui::CShowPictureDlg::RunCountdown(window_.GetHWND()) == 1 ? CountdownResult::kRestartNow
                                                                     : CountdownResult::kLater;
}

Answer OwnerWindow::AskYesNo(const std::string& caption, const std::string& text) {
    return desktop_.ShowMessage(window_.GetHWND(), text, caption, MB_YESNO) == IDYES ? Answer::kYes : Answer::kNo;
}

}  // namespace qnb::installer::win32
