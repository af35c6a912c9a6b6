// CInstallDlg: the reinstall wizard. Four steps (hardware report, system
// catalogue, backup files, install stage) over the pages of
// install_main_tab; at the install stage the image and the preinstallation
// package download (the poll on timer 100) while the user-file backup runs
// as a job; when both have said so (WM_STAGE_DONE) the installer runs as a
// job with the wizard as its owner, or in the preinstallation environment
// the environment's own tool takes over. Closes with 2 when the user quits
// or after a fatal error, with 1 after the hand-over.
#pragma once

#include "app/app_context.h"
#include "download/download_manager.h"
#include "filebackup/backup_thread.h"
#include "filebackup/window_reporter_win32.h"
#include "images/iso_tools.h"
#include "installer/installer_window_win32.h"
#include "installer/owner_window_win32.h"
#include "installer/pe_installer.h"
#include "jobs/window_listener_win32.h"
#include "log/log.h"
#include "ui/desktop.h"
#include "ui/security_products.h"
#include "ui/wizard/download_poll.h"
#include "ui/wizard/folder_picker.h"
#include "ui/wizard/image_file_dialog_win32.h"
#include "ui/wizard/page1.h"
#include "ui/wizard/page3.h"
#include "ui/wizard/page_hw.h"
#include "ui/wizard/wizard_steps.h"
#include "uikit/win32/window_impl_base.h"

#include <atomic>
#include <functional>
#include <memory>

namespace qnb::ui {

// What the wizard asks of the shell; tests record it.
class WizardShell {
public:
    virtual ~WizardShell() = default;
    // Opens a file with the shell's "open" verb, shown normally (backup_error.txt).
    virtual void OpenFile(const std::string& path) = 0;
    // Opens a program with the shell's "open" verb, its window hidden; false when the shell refused.
    virtual bool OpenHidden(const std::string& path) = 0;
};
WizardShell& SystemWizardShell();

// Everything the wizard works with, owned by the program.
struct WizardPorts {
    AppContext* context = nullptr;
    CDownloadManager* downloads = nullptr;
    // The installer's run on the wizard's installer job, and the undo of the
    // start it prepared (for a quit that came while it ran).
    std::function<Status(installer::PeInstallMode, installer::PeInstallerOwner&, JobControl&)> install;
    std::function<void()> undoInstall;
    images::IsoTools* isoTools = nullptr;  // the local ISO's image choice
    FileSystem* files = nullptr;
    ShellFolderPort* shellFolders = nullptr;
    RegistryPort* registry = nullptr;
    Desktop* desktop = nullptr;
    SecurityDetector* detector = nullptr;  // the error window's guide
    FolderPicker* folderPicker = nullptr;
    WizardShell* shell = nullptr;
    inspect::HardwareSources hardware;     // the hardware page's check
    Log* log = nullptr;
    Clock* clock = &SystemClock();         // the hardware check's pauses, the backup's and the installer's waits
    // The local image choice's dialogs; the system's file-open dialog and
    // image choice window when none is given.
    LocalImageChooser* imageChooser = nullptr;
    // The downloads as the poll sees them; the download manager's when none is given.
    DownloadTasks* tasks = nullptr;
};

class CInstallDlg : public uikit::WindowImplBase {
public:
    // The wizard's window timers.
    static constexpr UINT kCatalogueTimer = 1;
    static constexpr UINT kDownloadTimer = 100;
    static constexpr UINT kInstallingTimer = installer::kInstallTimer;  // 999
    // The jobs it watches, in WM_JOB_EVENT's wParam.
    static constexpr WPARAM kHardwareJob = 1;
    static constexpr WPARAM kBackupJob = 2;
    static constexpr WPARAM kInstallerJob = 3;

    // Starts the hardware check at once; it waits for the window.
    explicit CInstallDlg(WizardPorts ports);
    ~CInstallDlg() override;

    std::string GetWindowClassName() const override { return "installdlg"; }
    std::string GetSkinFile() const override { return "InstallDlg.xml"; }
    std::unique_ptr<uikit::CControlUI> CreateControl(std::string_view tag) override;

    int Step() const { return step_; }
    bool RestartWhenFinished() const { return restart_; }
    int BackupErrors() const { return backupErrors_; }

protected:
    void OnCreate() override;
    void InitWindow() override;
    void Notify(uikit::TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT MessageFilter(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    // Routes a page's notifications to it, then does what the wizard does for every control.
    class PageRelay : public uikit::INotifyUI {
    public:
        PageRelay(CInstallDlg& wizard, uikit::INotifyUI& page) : wizard_(wizard), page_(page) {}
        void Notify(uikit::TNotifyUI& msg) override;

    private:
        CInstallDlg& wizard_;
        uikit::INotifyUI& page_;
    };

    void GoToStep(int requested);
    void StartInstall();
    void RefreshTip();
    void RefreshStrip();
    DownloadChoice Choice() const;
    void ApplyView(const DownloadView& view);
    void Poll();
    void OnStageDone(bool backupFinished, bool downloadsFinished);
    void OnBackupFileError(const std::string& path, uint32_t code);
    void OnFatalError(const std::string& text);
    void PostFatalError(const std::string& text);
    // After a quit while the installer ran and its job's end: undoes what it prepared.
    void TakeBackAfterQuit();
    // What the wizard does for a notification of any control, a page's too.
    void OnAnyNotification(uikit::TNotifyUI& msg);
    void AskToQuit();

    WizardPorts ports_;
    Log& log_;
    WizardImageChooser systemChooser_;
    ManagerTasks managerTasks_;
    DownloadTasks& tasks_;
    CPage1 page1_;
    CPage3 page3_;
    CPageHW pageHw_;
    PageRelay hardwareRelay_{*this, pageHw_};
    PageRelay systemRelay_{*this, page1_};
    PageRelay backupRelay_{*this, page3_};

    int step_ = kStepHardware;
    bool installStage_ = false;  // the strip's controls are the install page's
    bool peMode_ = false;
    std::atomic<int> backupErrors_{0};
    std::atomic<bool> restart_{true};
    bool backupFinished_ = false;
    bool downloadsFinished_ = false;
    bool handedOver_ = false;  // the installer or changeDesk.exe: once
    bool quitting_ = false;    // a quit while the installer ran: waiting hidden for its end
    DownloadPoll poll_;
    InstallingPeText installingText_;

    std::unique_ptr<win32::WindowJobListener> hardwareListener_;
    std::unique_ptr<win32::WindowBackupReporter> backupReporter_;
    std::unique_ptr<installer::win32::WindowInstallerOwner> installerOwner_;
    std::unique_ptr<installer::win32::OwnerWindow> ownerWindow_;
    std::unique_ptr<win32::WindowJobListener> backupListener_;
    std::unique_ptr<win32::WindowJobListener> installerListener_;
    // Last: stopped and joined before what they use goes.
    std::unique_ptr<FileBackupJob> backupJob_;
    std::unique_ptr<Job> installerJob_;
};

}  // namespace qnb::ui
