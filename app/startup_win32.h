// The entry routine's Win32 side: the single-instance mutex, the power
// request, message boxes, COM, and the start-up threads.
#pragma once

#include "app/startup.h"
#include "platform/machine.h"
#include "platform/win32/handles.h"

#include <memory>

namespace qnb::ui {
class CMainDlg;
}

namespace qnb::win32 {

class Win32StartupHost : public StartupHost {
public:
    // The machine the context is built on; owned for the whole run.
    explicit Win32StartupHost(std::unique_ptr<Machine> machine);
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
    void StopDownloads() override;
    void DestroyMainWindow() override;
    void UninitialiseCom() override;

private:
    std::unique_ptr<Machine> machine_;
    UniqueHandle mutex_;
    std::unique_ptr<ui::CMainDlg> mainWindow_;
};

}  // namespace qnb::win32
