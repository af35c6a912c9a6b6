// The program's Win32 start-up: the single-instance mutex, the power
// request, message boxes, COM, and every subsystem wired together. It owns
// the context, the downloads, the usage reporter and the background jobs
// for the whole run.
#pragma once

#include "app/app_context.h"
#include "download/download_manager.h"
#include "download/engine_deploy.h"
#include "jobs/job.h"
#include "net/service_api.h"
#include "net/usage_reporter.h"
#include "platform/machine.h"
#include "platform/win32/handles.h"
#include "program/startup.h"
#include "ui/security_probe_win32.h"

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

private:
    std::unique_ptr<Machine> machine_;
    UniqueHandle mutex_;
    AppContext context_;
    EngineLocation engine_;
    CDownloadManager downloads_;
    net::UsageReporter reporter_;
    std::unique_ptr<net::CatalogueQuery> catalogue_;
    std::unique_ptr<net::PackageQuery> package_;
    std::unique_ptr<net::UpdateCheck> update_;
    ui::Win32SecurityProbe securityProbe_{[this] { return context_.OsTypeCode(); }};
    ui::SecurityDetector security_{securityProbe_};
    std::unique_ptr<ui::CMainDlg> mainWindow_;

    // Declared last: destroyed (stopped and joined) before what they use.
    Job catalogueJob_{"catalogue query"};
    Job deployJob_{"download engine deployment"};
    Job guardJob_{"space guard"};
    Job packageJob_{"package query"};
    Job updateJob_{"update check"};
};

}  // namespace qnb::win32
