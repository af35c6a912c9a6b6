#include "program/startup.h"

namespace qnb {

int RunProgram(StartupHost& host) {
    if (!host.CreateSingleInstanceMutex()) {
        host.ShowMessage(kAlreadyRunningText, kAlreadyRunningCaption);
        return 0;
    }
    if (!host.RequestAwake(kAwakeWithAwayMode)) host.RequestAwake(kAwake);
    if (!host.InitialiseFramework()) {
        host.ShowMessage("MFC init error!", "Error!");
        host.CloseSingleInstanceMutex();
        return 0;
    }
    // Whatever the outcome, start-up goes on; the main window reports a context that is not ready.
    host.InitialiseContext();
    host.SendStartupReport();
    host.StartBackgroundThreads();
    if (!host.InitialiseCom()) {
        host.CloseSingleInstanceMutex();
        return 0;
    }
    host.RunMainWindow();

    // A new copy may start from here on, even before this process has ended.
    host.CloseSingleInstanceMutex();
    host.StopBackgroundWork();
    host.StopDownloads();
    host.DestroyMainWindow();
    host.UninitialiseCom();
    return 0;
}

}  // namespace qnb
