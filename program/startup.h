// The entry routine's order of work: one copy only, keep the machine awake,
// build the context, start the background work, run the main window, and
// shut down in the order that lets a new copy start at once.
#pragma once

#include <cstdint>
#include <string>

namespace qnb {

constexpr char kSingleInstanceMutex[] = "__One_Quenbrook_Reinstaller_Runed__";
constexpr char kAlreadyRunningText[] = "Tessaly重装助手正在运行，请不要重复打开！";
constexpr char kAlreadyRunningCaption[] = "Tessaly";
constexpr uint32_t kAwakeWithAwayMode = 0x80000041;  // ES_CONTINUOUS | ES_AWAYMODE_REQUIRED | ES_SYSTEM_REQUIRED
constexpr uint32_t kAwake = 0x80000001;              // ES_CONTINUOUS | ES_SYSTEM_REQUIRED

// What the entry routine needs of the platform and of the other subsystems.
class StartupHost {
public:
    virtual ~StartupHost() = default;
    // False when another copy holds the mutex (the handle is then closed).
    virtual bool CreateSingleInstanceMutex() = 0;
    virtual void CloseSingleInstanceMutex() = 0;
    // SetThreadExecutionState; false when it returned 0.
    virtual bool RequestAwake(uint32_t flags) = 0;
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    virtual bool InitialiseFramework() = 0;
    virtual void InitialiseContext() = 0;
    virtual void SendStartupReport() = 0;
    virtual void StartBackgroundThreads() = 0;
    virtual bool InitialiseCom() = 0;
    // Creates the main window and runs the message loop until it closes.
    virtual void RunMainWindow() = 0;
    // Tells the background work that reads the exit flag (the space guard) to stop.
    virtual void StopBackgroundWork() = 0;
    // Stops the download worker and waits for it to end its engine.
    virtual void StopDownloads() = 0;
    virtual void DestroyMainWindow() = 0;
    virtual void UninitialiseCom() = 0;
};

// Runs start-up, the window loop and shutdown; the process's exit code (always 0).
int RunProgram(StartupHost& host);

}  // namespace qnb
