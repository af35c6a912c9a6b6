// What the Wine tests of the shared windows share: the windows run in the
// test's own process, driven through the automation channel's own functions
// (the ones qnbdiag reaches them by), on a simulated machine; message boxes
// and web pages go to a recorder. States are checked, not pixels.
#pragma once

#include "app/app_context.h"
#include "platform/fake/fake_folder_security.h"
#include "platform/fake/memory_file_system.h"
#include "platform/file_system.h"
#include "platform/sim/sim_storage.h"
#include "platform/sim/sim_system.h"
#include "ui/desktop.h"
#include "ui/main_dlg.h"
#include "ui/security_products.h"
#include "uikit/win32/window_impl_base.h"

#include <gtest/gtest.h>
#include <json/json.h>
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace qnb::ui::test {

// Records the messages shown and the pages opened; answers every question with `answer`.
class FakeDesktop : public Desktop {
public:
    int ShowMessage(HWND, const std::string& text, const std::string& caption, UINT) override;
    void OpenUrl(const std::string& url, int show) override;
    std::vector<std::string> messages;  // "caption|text"
    std::vector<std::string> urls;      // "url show"
    int answer = IDNO;
};

// An initialised AppContext on one disk with C: (Windows 10) and D: (20 GiB
// free), in the preinstallation environment or not, with or without a
// workspace from an earlier run on C:.
// A PC with one MBR disk: C: holds the Windows of these version numbers (or,
// in the environment, its RAM drive stands at C:), D: has room for the workspace.
std::string OneDiskMachineJson(bool pe, int major, int minor, int build, int productType);

struct Machine {
    explicit Machine(bool pe = false, bool earlierFolderOnC = false);
    std::unique_ptr<sim::SimStorage> storage;
    std::unique_ptr<sim::SimSystem> system;
    fake::MemoryFileSystem files{"CD"};  // the files of the machine
    fake::FakeFolderSecurity folders{files};
    AppContext context;
};

// A machine without security software unless told otherwise.
class FakeProbe : public SecurityProbe {
public:
    std::optional<uint32_t> ReadDword(const std::string&, const std::string&) override { return std::nullopt; }
    std::optional<std::string> ReadText(const std::string&, const std::string&, size_t) override {
        return std::nullopt;
    }
    std::optional<std::string> ReadClassesDefault(const std::string&) override { return std::nullopt; }
    bool Exists(const std::string&) override { return false; }
    std::string ProgramFiles() override { return ""; }
    std::vector<DirectoryEntry> List(const std::string&) override { return {}; }
    std::optional<std::vector<std::string>> ProcessNames() override { return processes; }
    std::optional<bool> ServiceRunning(const std::string&) override { return defenderRunning; }
    int OsTypeCode() override { return os; }
    std::vector<std::string> processes;
    bool defenderRunning = false;
    int os = 64;
};

// Handles this thread's messages for a while (or until done says so).
void Pump(int ms, const std::function<bool()>& done = nullptr);

// The newest framework window of a class, or null.
uikit::WindowImplBase* Open(const std::string& cls);

// A control's state as automation reports it (null when there is none of that name).
Json::Value Control(uikit::WindowImplBase& window, const std::string& name);

// Clicks as qnbdiag ui click does; false when the mouse could not reach it.
bool Click(uikit::WindowImplBase& window, const std::string& name);

// A key as the message loop takes it from the queue.
void PressKey(HWND hwnd, unsigned key);

// The main window, made, checked against its layout and shown, with its
// start-up checks run.
std::unique_ptr<CMainDlg> OpenMain(AppContext& context, Desktop& desktop, SecurityDetector& detector,
                                   MainDlgHooks hooks = {});

// What the guide shows: the visible options, the selected one, the page
// and, on page 1, the step picture and the next button's text.
std::string GuideState(uikit::WindowImplBase& guide);

// Every test of the shared windows: the framework with the skin, timers held
// (the tests deliver ticks themselves), a recording desktop, no security software.
class SharedWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    FakeDesktop desktop;
    FakeProbe probe;
};

}  // namespace qnb::ui::test
