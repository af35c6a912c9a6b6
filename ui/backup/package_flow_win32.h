// The second page of the backup and restore windows: the package's
// download followed by timer 1, then the installer on a job of its own
// with the window as owner, its news applied on the window's thread.
//
// A quit while the installer runs does not take the owner away from it:
// the window is hidden and stays, the installer is asked to stop, and the
// window closes (with 2) once the installer has ended. A start the
// installer prepared meanwhile is taken back then, since the user chose
// not to go on; its questions are answered "no" and its last steps skipped.
#pragma once

#include "installer/installer_window_win32.h"
#include "installer/owner_window_win32.h"
#include "jobs/job.h"
#include "jobs/window_listener_win32.h"
#include "ui/backup/flow_services.h"
#include "ui/backup/package_poll.h"
#include "uikit/win32/window_impl_base.h"

#include <memory>

namespace qnb::ui {

class PackageFlow : private installer::win32::InstallerWindow {
public:
    // The installer's job, in WM_JOB_EVENT's wParam.
    static constexpr WPARAM kInstallerJob = 7;

    // steps: the window's own ending (the restore window's preparation, the
    // backup window's finishing step), called on the window's thread.
    PackageFlow(uikit::WindowImplBase& window, const FlowServices& services, installer::PeInstallMode mode,
                TimeLeftStyle style, installer::win32::OwnerWindow::Steps steps);
    ~PackageFlow() override;

    // Timer 1 starts: every 200 ms the download is looked at.
    void Start();
    // One tick of timer 1.
    void Tick();
    // The window's messages that belong to the flow (timer 1, the
    // installer's job, news and questions); true when handled.
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    bool InstallerRunning() const;
    // The user chose to quit: true when the window may close now; while
    // the installer runs the window is hidden instead and closes by itself.
    bool Quit();
    bool Quitting() const { return quitting_; }

private:
    void StartInstaller();
    void InstallerEnded();

    // InstallerWindow: the owner window's, unless the user has quit.
    void SetControlText(const std::string& control, const std::string& text) override;
    void SetControlValue(const std::string& control, int value) override;
    void SetControlTextColor(const std::string& control, uint32_t argb) override;
    void StartTimer(unsigned id, unsigned milliseconds) override;
    void StopTimer(unsigned id) override;
    void ShowFatalError(const std::string& text) override;
    void PrepareRestore() override;
    void HandOverBackup() override;
    installer::CountdownResult RunCountdown() override;
    installer::Answer AskYesNo(const std::string& caption, const std::string& text) override;

    uikit::WindowImplBase& window_;
    FlowServices services_;
    installer::PeInstallMode mode_;
    TimeLeftStyle style_;
    installer::win32::OwnerWindow owner_;
    bool quitting_ = false;
    std::unique_ptr<installer::win32::WindowInstallerOwner> installerOwner_;
    std::unique_ptr<win32::WindowJobListener> listener_;
    // Declared last: stopped and joined before what it uses goes.
    std::unique_ptr<Job> installer_;
};

}  // namespace qnb::ui
