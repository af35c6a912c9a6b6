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
#include "platform/text.h"

#include <objbase.h>
#include <windows.h>

#include <thread>

namespace qnb::win32 {

Win32StartupHost::Win32StartupHost(std::unique_ptr<Machine> machine) : machine_(std::move(machine)) {}

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
    // The UI framework takes the instance handle here once it exists.
    return true;
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
    std::thread([machine] { DeployDownloadEngine(machine->files(), g_context.WorkspacePath()); }).detach();
    std::thread([machine] {
        RunSpaceGuard(g_context, machine->storage(), machine->files(), g_exitFlag,
                      [](const std::string& url) { return Downloads().GetSavePath(url); });
    }).detach();
    net::StartPackageThread(g_context, net::ApiEndpoint());
    net::StartUpdateThread(g_context, net::ApiEndpoint(),
                           [machine] { net::win32::InstallSelf(machine->files(), g_context.WorkspacePath()); });
}

bool Win32StartupHost::InitialiseCom() { return SUCCEEDED(CoInitialize(nullptr)); }

void Win32StartupHost::RunMainWindow() {
    // The main window and its message loop run here.
}

void Win32StartupHost::StopDownloads() { Downloads().Stop(); }

void Win32StartupHost::DestroyMainWindow() {}

void Win32StartupHost::UninitialiseCom() { CoUninitialize(); }

}  // namespace qnb::win32
