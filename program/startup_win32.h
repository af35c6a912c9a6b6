// The program's Win32 start-up: the single-instance mutex, the power
// request, message boxes, COM, and every subsystem wired together. It owns
// the context, the downloads, the usage reporter and the background jobs
// for the whole run.
#pragma once

#include "app/app_context.h"
#include "download/download_manager.h"
#include "download/engine_deploy.h"
#include "images/iso_tools.h"
#include "installer/pe_installer.h"
#include "jobs/job.h"
#include "log/diagnostic_log.h"
#include "log/job_log.h"
#include "log/logged_process.h"
#include "net/service_api.h"
#include "net/usage_reporter.h"
#include "platform/machine.h"
#include "platform/win32/handles.h"
#include "program/startup.h"
#include "ui/backup/desktop_camera_win32.h"
#include "ui/backup/flow_services.h"
#include "ui/backup/package_poll.h"
#include "ui/main_logic.h"
#include "ui/security_probe_win32.h"
#include "ui/wizard/folder_picker_win32.h"

#include "uikit/win32/window_impl_base.h"

#include <memory>

namespace qnb::ui {
class CMainDlg;
}

namespace qnb::win32 {

class Win32StartupHost : public StartupHost {
public:
    // The machine the context is built on.
    explicit Win32StartupHost(std::unique_ptr<Machine> machine);
    // Stops the background jobs and waits for them (the program itself ends
    // with ExitProcess before this runs; qnbdiag and the tests get here).
    ~Win32StartupHost() override;

    bool CreateSingleInstanceMutex() override;
    void CloseSingleInstanceMutex() override;
    bool RequestAwake(uint32_t flags) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    bool InitialiseFramework() override;
    void InitialiseContext() override;
    void SendStartupReport() override;
    void StartBackgroundThreads() override;
    bool InitialiseCom() override;
    void RunMainWindow() override;
    void StopBackgroundWork() override;
    void StopDownloads() override;
    void DestroyMainWindow() override;
    void UninitialiseCom() override;

    // What start-up made, for qnbdiag.
    AppContext& context() { return context_; }
    CDownloadManager& downloads() { return downloads_; }
    // The boot environment installer, for the action windows and the menu's undo.
    installer::PeInstaller& installer() { return *installer_; }
    DiagnosticLog& log() { return log_; }
    // The ISO and WIM tools of this process (deployed on first use), for the
    // catalogue page's image choice (ui/iso/iso_info_dlg.h ChooseIsoImage).
    images::IsoTools& isoTools() { return *isoTools_; }

private:
    // What the system backup and restore windows are given.
    ui::FlowServices BackupFlowServices();
    // The window of an action of the main window; nullptr while this build has none.
    std::unique_ptr<uikit::WindowImplBase> CreateActionWindow(ui::MainAction action);
    std::unique_ptr<uikit::WindowImplBase> CreateReinstallWizard();

    std::unique_ptr<Machine> machine_;
    DiagnosticLog log_;
    LoggedProcessPort process_;  // every program started goes into the log
    std::unique_ptr<images::IsoTools> isoTools_;
    UniqueHandle mutex_;
    AppContext context_;
    EngineLocation engine_;
    CDownloadManager downloads_;
    JobEndLog reportLog_{log_, "report"};
    net::UsageReporter reporter_{&reportLog_};
    std::unique_ptr<installer::PeInstaller> installer_;
    std::unique_ptr<net::CatalogueQuery> catalogue_;
    std::unique_ptr<net::PackageQuery> package_;
    std::unique_ptr<net::UpdateCheck> update_;
    std::unique_ptr<net::QueryLog> catalogueLog_;
    std::unique_ptr<net::QueryLog> packageLog_;
    JobEndLog deployLog_{log_, "engine", true};
    JobEndLog guardLog_{log_, "space guard"};
    JobEndLog updateLog_{log_, "update", true};
    ui::Win32SecurityProbe securityProbe_{[this] { return context_.OsTypeCode(); }};
    ui::SecurityDetector security_{securityProbe_};
    ManagerTasks packageDownloads_{downloads_};
    ui::ScreenCamera camera_;
    ui::ShellFolderPicker folderPicker_;
    std::unique_ptr<ui::CMainDlg> mainWindow_;

    // Made at start, declared last: destroyed (stopped and joined) before what they use.
    std::unique_ptr<Job> catalogueJob_;
    std::unique_ptr<Job> deployJob_;
    std::unique_ptr<Job> guardJob_;
    std::unique_ptr<Job> packageJob_;
    std::unique_ptr<Job> updateJob_;
};

}  // namespace qnb::win32
