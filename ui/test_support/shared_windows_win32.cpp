#include "ui/test_support/shared_windows_win32.h"

#include "platform/sim/machine_description.h"
#include "ui/guide_steps.h"
#include "ui/window_styles.h"
#include "uikit/automation/automation.h"
#include "uikit/win32/automation_server.h"
#include "uikit/win32/framework.h"
#include "uikit/win32/message_loop.h"

#include <chrono>

namespace qnb::ui::test {

std::string OneDiskMachineJson(bool pe, int major, int minor, int build, int productType) {
    return R"({"windows": {"dir": "C:\\Windows", "major": )" + std::to_string(major) +
           ", \"minor\": " + std::to_string(minor) + ", \"build\": " + std::to_string(build) +
           ", \"product_type\": " + std::to_string(productType) + ", \"wow64\": true, \"pe\": " +
           (pe ? "true" : "false") + R"(},
      "disks": [{"number": 0, "bus_type": 11, "size": 536870912000, "style": "mbr", "layout": true,
        "partitions": [
          {"number": 1, "mbr_type": 7, "active": true, "start": 1048576, "length": 107374182400,
           "volume": {"letter": "C", "fs": "NTFS", "free": 42949672960}},
          {"number": 2, "mbr_type": 7, "start": 107375230976, "length": 322122547200,
           "volume": {"letter": "D", "fs": "NTFS", "free": 21474836480}}]}]})";
}

int FakeDesktop::ShowMessage(HWND, const std::string& text, const std::string& caption, UINT) {
    messages.push_back(caption + "|" + text);
    return answer;
}

void FakeDesktop::OpenUrl(const std::string& url, int show) { urls.push_back(url + " " + std::to_string(show)); }

Machine::Machine(bool pe, bool earlierFolderOnC) {
    std::string error;
    auto description = sim::ParseMachine(OneDiskMachineJson(pe, 10, 0, 19045, 48), &error);
    EXPECT_TRUE(description) << error;
    system = std::make_unique<sim::SimSystem>(description->windows);
    storage = std::make_unique<sim::SimStorage>(std::move(*description));
    if (earlierFolderOnC) files.AddFolders("C:\\Quenbrook\\Data");
    context.Initialise(*storage, *system, files, folders);
    EXPECT_TRUE(context.IsReady()) << "workspace " << context.WorkspacePath() << " result "
                                   << context.WorkspaceResult();
}

void Pump(int ms, const std::function<bool()>& done) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (uikit::PreTranslate(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done && done()) return;
        Sleep(5);
    }
}

uikit::WindowImplBase* Open(const std::string& cls) {
    const auto& windows = uikit::Framework::Windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if ((*it)->GetHWND() && (*it)->GetWindowClassName() == cls) return *it;
    }
    return nullptr;
}

Json::Value Control(uikit::WindowImplBase& window, const std::string& name) {
    std::function<Json::Value(const Json::Value&)> find = [&](const Json::Value& node) -> Json::Value {
        if (node["name"].asString() == name) return node;
        for (const Json::Value& child : node["children"]) {
            Json::Value hit = find(child);
            if (!hit.isNull()) return hit;
        }
        return Json::Value();
    };
    return find(uikit::automation::DescribeTree(window.Tree()));
}

bool Click(uikit::WindowImplBase& window, const std::string& name) {
    uikit::CControlUI* control = window.FindControl(name);
    if (!control) return false;
    uikit::automation::ClickTarget target = uikit::automation::FindClickTarget(window.Tree(), *control);
    if (!target.problem.empty()) return false;
    uikit::automation::Click(window.Tree(), target);
    return true;
}

void PressKey(HWND hwnd, unsigned key) {
    for (UINT message : {WM_KEYDOWN, WM_KEYUP}) {
        MSG msg{hwnd, message, key, 1, GetTickCount(), {}};
        if (!uikit::PreTranslate(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

std::unique_ptr<CMainDlg> OpenMain(AppContext& context, Desktop& desktop, SecurityDetector& detector,
                                   MainDlgHooks hooks) {
    auto window = std::make_unique<CMainDlg>(context, desktop, detector, std::move(hooks));
    EXPECT_TRUE(window->Create(nullptr, "Tessaly重装助手", kWindowStyle, kAppWindowExStyle));
    EXPECT_EQ(window->LayoutProblems(), std::vector<std::string>{});
    window->ShowWindow(true, true);
    Pump(50);  // the start-up checks run once the window is up
    return window;
}

std::string GuideState(uikit::WindowImplBase& guide) {
    std::string state;
    // Options are on page 0: they show only there.
    for (const ProductInfo& product : GuideProducts()) {
        Json::Value option = Control(guide, product.option);
        if (option["visible"].asBool()) state += std::string(product.steps) + (option["checked"].asBool() ? "* " : " ");
    }
    int page = Control(guide, "tab_main")["value"].asInt();
    state += "page " + std::to_string(page);
    if (page == 1) {
        state += " " + Control(guide, "guide_step")["bkimage"].asString() + " " +
                 Control(guide, "btn_next")["text"].asString();
    }
    return state;
}

void SharedWindows::SetUpTestSuite() {
    ASSERT_TRUE(uikit::Framework::Initialise(GetModuleHandleW(nullptr))) << "GDI+ and the skin resource";
}

void SharedWindows::SetUp() { uikit::automation::HoldTimers(true); }

void SharedWindows::TearDown() { uikit::automation::HoldTimers(false); }

}  // namespace qnb::ui::test
