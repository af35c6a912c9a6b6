#include "app/startup_win32.h"

#include "app/app_context.h"
#include "app/space_guard.h"
#include "platform/text.h"
#include "ui/desktop.h"
#include "ui/main_dlg.h"
#include "ui/security_probe_win32.h"
#include "uikit/win32/framework.h"
#include "uikit/win32/message_loop.h"

#include <objbase.h>
#include <windows.h>

#include <thread>

namespace qnb::win32 {

Win32StartupHost::Win32StartupHost(std::unique_ptr<Machine> machine) : machine_(std::move(machine)) {}

Win32StartupHost::~Win32StartupHost() = default;

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
    // The start-up usage report goes out from here, on a thread of its own.
}

void Win32StartupHost::StartBackgroundThreads() {
    // In order: catalogue fetch, engine deployment, space guard, package
    // query, update check. The threads are never joined; they end with the process.
    Machine* machine = machine_.get();
    std::thread([machine] {
        RunSpaceGuard(g_context, machine->storage(), machine->files(), g_exitFlag, nullptr);
    }).detach();
}

bool Win32StartupHost::InitialiseCom() { return SUCCEEDED(CoInitialize(nullptr)); }

void Win32StartupHost::RunMainWindow() {
    ui::MainDlgHooks hooks;
    hooks.report = [](int /*kind*/) {
        // The usage report of an action window goes out from here.
    };
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

void Win32StartupHost::StopDownloads() {
    // The download tasks are told to stop here, with 200 ms to do so.
}

void Win32StartupHost::DestroyMainWindow() { mainWindow_.reset(); }

void Win32StartupHost::UninitialiseCom() { CoUninitialize(); }

}  // namespace qnb::win32
