// The program's entry point.
#include "platform/win32/system_library.h"
#include "program/startup_win32.h"

#include <windows.h>

#ifdef QNB_TEST_HOOKS
#include "platform/sim/sim_machine.h"
#else
#include "platform/win32/machine_win32.h"
#endif

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything else: libraries loaded by name come from the system
    // folder only, and a drive without a disk (a card reader, an empty DVD
    // drive) never stops the drive scans with a "no disk" dialog.
    qnb::win32::RestrictLibrarySearch();
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
#ifdef QNB_TEST_HOOKS
    // Test and demo builds run on the machine that QNB_SIM_MACHINE describes, when it is set.
    std::string error;
    std::unique_ptr<qnb::Machine> machine = qnb::sim::OpenMachineFromEnvironment(&error);
    if (!machine) {
        MessageBoxA(nullptr, error.c_str(), "QNB_SIM_MACHINE", MB_OK);
        return 0;
    }
#else
    std::unique_ptr<qnb::Machine> machine = qnb::win32::OpenRealMachine();
#endif
    qnb::win32::Win32StartupHost host(std::move(machine));
    int code = qnb::RunProgram(host);
    // Shutdown has stopped the space guard and the downloads. The other
    // jobs (a service query may sit in a connect that no stop reaches) and
    // the usage reports end with the process: the host is not destroyed,
    // so nothing waits for them.
    ExitProcess(code);
}
