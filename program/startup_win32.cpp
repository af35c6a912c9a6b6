#include "program/startup_win32.h"

#include "app/space_guard.h"
#include "log/local_time_win32.h"
#include "program/startup_facts.h"
#include "download/downloads_win32.h"
#include "images/iso_tools_win32.h"
#include "installer/payload_files.h"
#include "installer/prepared_start.h"
#include "inspect/mac_address_win32.h"
#include "inspect/memory_status_win32.h"
#include "inspect/processor_name.h"
#include "net/endpoints.h"
#include "net/report_facts_win32.h"
#include "net/self_install_win32.h"
#include "platform/text.h"
#include "ui/backup/backup_dlg.h"
#include "ui/backup/local_date_win32.h"
#include "ui/desktop.h"
#include "ui/main_dlg.h"
#include "ui/restore/restore_dlg.h"
#include "ui/wizard/install_dlg.h"
#include "uikit/win32/framework.h"
#include "uikit/win32/message_loop.h"

#include <objbase.h>
#include <windows.h>

namespace qnb::win32 {

Win32StartupHost::Win32StartupHost(std::unique_ptr<Machine> machine)
    : machine_(std::move(machine)),
      log_(machine_->files(), LocalTimeStamp),
      process_(machine_->process(), log_),
      isoTools_(images::win32::MakeIsoTools(machine_->files(), machine_->folderSecurity(), process_, machine_->storage(),
                                            &log_)) {
    installer::PeInstallerPorts ports;
    ports.context = &context_;
    ports.files = &machine_->files();
    ports.system = &machine_->system();
    ports.process = &process_;
    ports.downloads = &downloads_;
    ports.openPayload = [this] { return installer::OpenProgramPayload(machine_->files()); };
    ports.report = [this](net::ReportKind kind) { reporter_.Report(kind); };
    ports.now = LocalTimeStamp;
    ports.log = &log_;
    installer_ = std::make_unique<installer::PeInstaller>(std::move(ports));
}

Win32StartupHost::~Win32StartupHost() {
    for (auto* job : {&catalogueJob_, &deployJob_, &guardJob_, &packageJob_, &updateJob_}) {
        if (*job) (*job)->RequestStop();
    }
    downloads_.Stop();
}

bool Win32StartupHost::CreateSingleInstanceMutex() {
    mutex_.reset(CreateMutexW(nullptr, FALSE, text::Wide(kSingleInstanceMutex).c_str()));
    if (mutex_ && GetLastError() == ERROR_ALREADY_EXISTS) {
        mutex_.reset();
        return false;
    }
    return true;
}

void Win32StartupHost::CloseSingleInstanceMutex() { mutex_.reset(); }

bool Win32StartupHost::RequestAwake(uint32_t flags) { return SetThreadExecutionState(flags) != 0; }

void Win32StartupHost::ShowMessage(const std::string& text, const std::string& caption) {
    MessageBoxW(nullptr, text::Wide(text).c_str(), text::Wide(caption).c_str(), MB_OK);
}

bool Win32StartupHost::InitialiseFramework() {
    // The instance, GDI+ and the skin archive of the program's resources.
    return uikit::Framework::Initialise(GetModuleHandleW(nullptr));
}

void Win32StartupHost::InitialiseContext() {
    context_.Initialise(machine_->storage(), machine_->system(), machine_->files(), machine_->folderSecurity());
    log_.Write("startup", StartupFacts(context_, QNB_PROGRAM_VERSION));
    log_.Open(context_.WorkspacePath());
    if (!context_.WorkspaceTrusted()) {
        log_.Write("workspace", std::string("an earlier folder that is ") + Describe(context_.WorkspaceTrust()) +
                                    ": adopted without its disk choices and records, and protected");
    }
}

void Win32StartupHost::SendStartupReport() {
    reporter_.Attach(net::win32::ReadReportFacts, &context_);
    reporter_.SetHost(net::ReportEndpoint(), inspect::win32::GetMacAddress());
    reporter_.Report(net::ReportKind::kStartup);
}

void Win32StartupHost::StartBackgroundThreads() {
    // In order: catalogue fetch, engine deployment, space guard, package
    // query, update check.
    Machine& machine = *machine_;
    catalogue_ = std::make_unique<net::CatalogueQuery>(context_, net::ApiEndpoint());
    catalogueLog_ = std::make_unique<net::QueryLog>(log_, "catalogue", *catalogue_);
    catalogueJob_ = std::make_unique<Job>("catalogue query", SystemClock(), catalogueLog_.get());
    catalogueJob_->Start([this](JobControl& control) { return catalogue_->Run(control); });

    ConfigureDownloads(downloads_, machine.files(), engine_, &log_);
    deployJob_ = std::make_unique<Job>("download engine deployment", SystemClock(), &deployLog_);
    deployJob_->Start([this, &machine](JobControl&) {
        return DeployDownloadEngine(machine.files(), machine.folderSecurity(), process_, context_.WorkspacePath(),
                                    context_.WorkspaceTrusted(), downloads_, engine_);
    });
    guardJob_ = std::make_unique<Job>("space guard", SystemClock(), &guardLog_);
    guardJob_->Start([this, &machine](JobControl& control) {
        return RunSpaceGuard(control, context_, machine.storage(), machine.files(),
                             [this](const std::string& url) { return downloads_.GetSavePath(url); });
    });

    package_ = std::make_unique<net::PackageQuery>(context_, net::ApiEndpoint());
    packageLog_ = std::make_unique<net::QueryLog>(log_, "package", *package_);
    packageJob_ = std::make_unique<Job>("package query", SystemClock(), packageLog_.get());
    packageJob_->Start([this](JobControl& control) { return package_->Run(control); });

    update_ = std::make_unique<net::UpdateCheck>(context_, net::ApiEndpoint());
    updateJob_ = std::make_unique<Job>("update check", SystemClock(), &updateLog_);
    updateJob_->Start([this, &machine](JobControl& control) {
        return update_->Run(control, [this, &machine] { net::win32::InstallSelf(machine.files(), context_.WorkspacePath()); });
    });
}

bool Win32StartupHost::InitialiseCom() { return SUCCEEDED(CoInitialize(nullptr)); }

void Win32StartupHost::RunMainWindow() {
    ui::MainDlgHooks hooks;
    hooks.report = [this](int kind) { reporter_.Report(static_cast<net::ReportKind>(kind)); };
    hooks.createActionWindow = [this](ui::MainAction action) { return CreateActionWindow(action); };
    hooks.commandLine = [] { return text::Narrow(GetCommandLineW()); };
    hooks.closed = [] { PostQuitMessage(0); };
    hooks.preparedStart.question = [this]() -> std::optional<std::string> {
        std::optional<installer::PreparedStart> prepared = installer_->Prepared();
        if (!prepared) return std::nullopt;
        return installer::UndoQuestion(*prepared);
    };
    hooks.preparedStart.undo = [this] {
        // Two short bcdedit runs or one file copy: done while the question's owner waits.
        Result<bool> undone = installer_->Undo();
        if (!undone) log_.Failed("installer", undone.failure());
        return undone.ok();
    };
    mainWindow_ = ui::CMainDlg::Open(context_, ui::SystemDesktop(), security_, std::move(hooks));
    if (!mainWindow_) {
        MessageBoxW(nullptr, L"程序界面资源损坏，无法启动，请重新下载本软件。", L"错误", MB_OK | MB_ICONERROR);
        return;
    }
    uikit::RunMessageLoop();
}

ui::FlowServices Win32StartupHost::BackupFlowServices() {
    ui::FlowServices s;
    s.context = &context_;
    s.files = &machine_->files();
    s.downloads = &packageDownloads_;
    s.desktop = &ui::SystemDesktop();
    s.detector = &security_;
    s.process = &process_;
    s.install = [this](installer::PeInstallMode mode, installer::PeInstallerOwner& owner, JobControl& control) {
        return installer_->Run(mode, owner, control);
    };
    s.undoInstall = [this] {
        Result<bool> undone = installer_->Undo();
        if (!undone) log_.Failed("installer", undone.failure());
    };
    s.restart = [this] { installer_->Restart(); };
    s.now = ui::UnixNow;
    s.localDate = ui::SystemLocalDate;
    s.log = &log_;
    return s;
}

std::unique_ptr<uikit::WindowImplBase> Win32StartupHost::CreateActionWindow(ui::MainAction action) {
    switch (action) {
    case ui::MainAction::kReinstall:
        return CreateReinstallWizard();
    case ui::MainAction::kBackup:
        return std::make_unique<ui::CXBackUpDlg>(BackupFlowServices(), camera_);
    case ui::MainAction::kRestore:
        return std::make_unique<ui::CRestoreDlg>(BackupFlowServices());
    }
    return nullptr;
}

std::unique_ptr<uikit::WindowImplBase> Win32StartupHost::CreateReinstallWizard() {
    Machine& machine = *machine_;
    ui::WizardPorts ports;
    ports.context = &context_;
    ports.downloads = &downloads_;
    ports.install = [this](installer::PeInstallMode mode, installer::PeInstallerOwner& owner, JobControl& control) {
        return installer_->Run(mode, owner, control);
    };
    ports.undoInstall = [this] {
        Result<bool> undone = installer_->Undo();
        if (!undone) log_.Failed("installer", undone.failure());
    };
    ports.isoTools = isoTools_.get();
    ports.files = &machine.files();
    ports.shellFolders = &machine.shellFolders();
    ports.registry = &machine.registry();
    ports.desktop = &ui::SystemDesktop();
    ports.detector = &security_;
    ports.folderPicker = &folderPicker_;
    ports.shell = &ui::SystemWizardShell();
    ports.log = &log_;
    // The hardware page initialises the context again, as start-up did.
    ports.hardware.initialise = [this, &machine] {
        context_.Initialise(machine.storage(), machine.system(), machine.files(), machine.folderSecurity());
    };
    ports.hardware.processorName = inspect::ReadProcessorName;
    ports.hardware.memory = inspect::win32::ReadMemoryStatus;
    return std::make_unique<ui::CInstallDlg>(std::move(ports));
}

void Win32StartupHost::StopBackgroundWork() {
    if (guardJob_) guardJob_->RequestStop();
}

void Win32StartupHost::StopDownloads() { downloads_.Stop(); }

void Win32StartupHost::DestroyMainWindow() { mainWindow_.reset(); }

void Win32StartupHost::UninitialiseCom() { CoUninitialize(); }

}  // namespace qnb::win32
