#include "app/startup_win32.h"

#include "app/app_context.h"
#include "app/space_guard.h"
#include "download/download_manager.h"
#include "download/downloads_win32.h"
#include "inspect/mac_address_win32.h"
#include "net/endpoints.h"
#include "net/report_facts_win32.h"
#include "net/self_install_win32.h"
#include "net/service_api.h"
#include "net/usage_reporter.h"
#include "platform/detached_thread.h"
#include "platform/text.h"
#include "ui/desktop.h"
#include "ui/main_dlg.h"
#include "ui/security_probe_win32.h"
#include "uikit/win32/framework.h"
#include "uikit/win32/message_loop.h"

#include <objbase.h>
#include <windows.h>


namespace qnb::win32 {

Win32StartupHost::Win32StartupHost(std::unique_ptr<Machine> machine) : machine_(std::move(machine)) {}

Win32StartupHost::~Win32StartupHost() {
    // The background threads (space guard, downloads, service queries) use
    // the machine's ports until the process ends: it is never destroyed.
    (void)machine_.release();
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
    g_context.Initialise(machine_->storage(), machine_->system(), machine_->files());
}

void Win32StartupHost::SendStartupReport() {
    net::g_usageReporter.Attach(net::win32::ReadReportFacts, &g_context);
    net::g_usageReporter.SetHost(net::ReportEndpoint(), inspect::win32::GetMacAddress());
    net::g_usageReporter.Report(net::ReportKind::kStartup);
}

void Win32StartupHost::StartBackgroundThreads() {
    // In order: catalogue fetch, engine deployment, space guard, package
    // query, update check. The threads are never joined; they end with the process.
    Machine* machine = machine_.get();
    net::StartCatalogueThread(g_context, net::ApiEndpoint());
    ConfigureDownloads(machine->files());
    StartDetachedThread([machine] { DeployDownloadEngine(machine->files(), g_context.WorkspacePath()); });
    StartDetachedThread([machine] {
        RunSpaceGuard(g_context, machine->storage(), machine->files(), g_exitFlag,
                      [](const std::string& url) { return Downloads().GetSavePath(url); });
    });
    net::StartPackageThread(g_context, net::ApiEndpoint());
    net::StartUpdateThread(g_context, net::ApiEndpoint(),
                           [machine] { net::win32::InstallSelf(machine->files(), g_context.WorkspacePath()); });
}

bool Win32StartupHost::InitialiseCom() { return SUCCEEDED(CoInitialize(nullptr)); }

void Win32StartupHost::RunMainWindow() {
    ui::MainDlgHooks hooks;
    hooks.report = [](int kind) { net::g_usageReporter.Report(static_cast<net::ReportKind>(kind)); };
    hooks.createActionWindow = [](ui::MainAction) -> std::unique_ptr<uikit::WindowImplBase> {
        // The reinstall wizard, the system backup and the restore windows are made here.
        return nullptr;
    };
    hooks.commandLine = [] { return text::Narrow(GetCommandLineW()); };
    hooks.closed = [] { PostQuitMessage(0); };
    mainWindow_ = ui::CMainDlg::Open(g_context, ui::SystemDesktop(), ui::ProcessSecurityDetector(), std::move(hooks));
    if (!mainWindow_) {
        MessageBoxW(nullptr, L"程序界面资源损坏，无法启动，请重新下载本软件。", L"错误", MB_OK | MB_ICONERROR);
        return;
    }
    uikit::RunMessageLoop();
}

void Win32StartupHost::StopDownloads() { Downloads().Stop(); }

void Win32StartupHost::DestroyMainWindow() { mainWindow_.reset(); }

void Win32StartupHost::UninitialiseCom() { CoUninitialize(); }

}  // namespace qnb::win32
