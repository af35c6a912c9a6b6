// The installer's news applied to a window of the UI framework: its
// controls found by name, its timers, the restart countdown
// (CShowPictureDlg), Yes/No message boxes and the error window
// (CErrorMsgDlg). The reinstall wizard, the backup and the restore windows
// hand one of these to HandleInstallerMessage.
#pragma once

#include "installer/installer_window_win32.h"
#include "ui/desktop.h"
#include "ui/security_products.h"
#include "uikit/win32/window_impl_base.h"

#include <functional>

namespace qnb::installer::win32 {

class OwnerWindow : public InstallerWindow {
public:
    struct Steps {
        std::function<void()> prepareRestore;  // the restore window's preparation step
        std::function<void()> handOverBackup;  // the backup window's finishing step
    };
    OwnerWindow(uikit::WindowImplBase& window, ui::Desktop& desktop, ui::SecurityDetector& detector, Steps steps);

    void SetControlText(const std::string& control, const std::string& text) override;
    void SetControlValue(const std::string& control, int value) override;
    void SetControlTextColor(const std::string& control, uint32_t argb) override;
    void StartTimer(unsigned id, unsigned milliseconds) override;
    void StopTimer(unsigned id) override;
    void ShowFatalError(const std::string& text) override;
    void PrepareRestore() override;
    void HandOverBackup() override;
    CountdownResult RunCountdown() override;
    Answer AskYesNo(const std::string& caption, const std::string& text) override;

private:
    uikit::WindowImplBase& window_;
    ui::Desktop& desktop_;
    ui::SecurityDetector& detector_;
    Steps steps_;
};

}  // namespace qnb::installer::win32
