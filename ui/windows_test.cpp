// The program's shared windows, driven in this process through the
// automation channel's own functions (the same ones qnbdiag reaches them
// by): states after clicks, keys and timer ticks, not pixels. Message boxes
// and web pages go to a recorder.
#include "app/app_context.h"
#include "platform/fake/memory_file_system.h"
#include "platform/sim/machine_description.h"
#include "platform/sim/sim_storage.h"
#include "platform/sim/sim_system.h"
#include "ui/error_msg_dlg.h"
#include "ui/guide_dlg.h"
#include "ui/main_dlg.h"
#include "ui/menu_list.h"
#include "ui/show_picture_dlg.h"
#include "ui/waring_dlg.h"
#include "ui/window_styles.h"
#include "uikit/automation/automation.h"
#include "uikit/win32/automation_server.h"
#include "uikit/win32/framework.h"
#include "uikit/win32/message_loop.h"

#include "uikit/test_support/script_win32.h"

#include <gtest/gtest.h>

#include <chrono>

namespace qnb::ui {
namespace {

using uikit::automation::DescribeTree;

// ---------------------------------------------------------------------------
// Helpers

class FakeDesktop : public Desktop {
public:
    int ShowMessage(HWND, const std::string& text, const std::string& caption, UINT) override {
        messages.push_back(caption + "|" + text);
        return answer;
    }
    void OpenUrl(const std::string& url, int show) override { urls.push_back(url + " " + std::to_string(show)); }
    std::vector<std::string> messages;
    std::vector<std::string> urls;
    int answer = IDNO;
};

// One disk with C: (Windows 10) and D: (20 GiB free).
std::string MachineJson(bool pe) {
    return std::string(R"({"windows": {"dir": "C:\\Windows", "major": 10, "minor": 0, "build": 19045,
        "product_type": 48, "wow64": true, "pe": )") +
           (pe ? "true" : "false") + R"(},
      "disks": [{"number": 0, "bus_type": 11, "size": 536870912000, "style": "mbr", "layout": true,
        "partitions": [
          {"number": 1, "mbr_type": 7, "active": true, "start": 1048576, "length": 107374182400,
           "volume": {"letter": "C", "fs": "NTFS", "free": 42949672960}},
          {"number": 2, "mbr_type": 7, "start": 107375230976, "length": 322122547200,
           "volume": {"letter": "D", "fs": "NTFS", "free": 21474836480}}]}]})";
}

// An initialised AppContext on that machine.
struct Machine {
    explicit Machine(bool pe = false, bool earlierFolderOnC = false) {
        std::string error;
        auto description = sim::ParseMachine(MachineJson(pe), &error);
        EXPECT_TRUE(description) << error;
        system = std::make_unique<sim::SimSystem>(description->windows);
        storage = std::make_unique<sim::SimStorage>(std::move(*description));
        if (earlierFolderOnC) files.AddFolders("C:\\Quenbrook\\Data");
        context.Initialise(*storage, *system, files);
        EXPECT_TRUE(context.IsReady()) << "workspace " << context.WorkspacePath() << " result "
                                       << context.WorkspaceResult();
    }
    std::unique_ptr<sim::SimStorage> storage;
    std::unique_ptr<sim::SimSystem> system;
    fake::MemoryFileSystem files{"CD"};  // the files of the machine
    AppContext context;
};

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

using uikit::test::Script;

// Handles this thread's messages for a while (or until done says so).
void Pump(int ms, const std::function<bool()>& done = nullptr) {
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

// The newest framework window of a class.
uikit::WindowImplBase* Open(const std::string& cls) {
    const auto& windows = uikit::Framework::Windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if ((*it)->GetHWND() && (*it)->GetWindowClassName() == cls) return *it;
    }
    return nullptr;
}

// A control's state as automation reports it.
Json::Value Control(uikit::WindowImplBase& window, const std::string& name) {
    std::function<Json::Value(const Json::Value&)> find = [&](const Json::Value& node) -> Json::Value {
        if (node["name"].asString() == name) return node;
        for (const Json::Value& child : node["children"]) {
            Json::Value hit = find(child);
            if (!hit.isNull()) return hit;
        }
        return Json::Value();
    };
    return find(DescribeTree(window.Tree()));
}

// Clicks as qnbdiag ui click does; false when the mouse could not reach it.
bool Click(uikit::WindowImplBase& window, const std::string& name) {
    uikit::CControlUI* control = window.FindControl(name);
    if (!control) return false;
    uikit::automation::ClickTarget target = uikit::automation::FindClickTarget(window.Tree(), *control);
    if (!target.problem.empty()) return false;
    uikit::automation::Click(window.Tree(), target);
    return true;
}

// A key as the message loop takes it from the queue.
void PressKey(HWND hwnd, unsigned key) {
    for (UINT message : {WM_KEYDOWN, WM_KEYUP}) {
        MSG msg{hwnd, message, key, 1, GetTickCount(), {}};
        if (!uikit::PreTranslate(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

class SharedWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(uikit::Framework::Initialise(GetModuleHandleW(nullptr))) << "GDI+ and the skin resource";
    }
    void SetUp() override { uikit::automation::HoldTimers(true); }
    void TearDown() override { uikit::automation::HoldTimers(false); }

    FakeDesktop desktop;
    FakeProbe probe;
};

std::unique_ptr<CMainDlg> OpenMain(AppContext& context, Desktop& desktop, SecurityDetector& detector,
                                   MainDlgHooks hooks = {}) {
    auto window = std::make_unique<CMainDlg>(context, desktop, detector, std::move(hooks));
    EXPECT_TRUE(window->Create(nullptr, "Tessaly重装助手", kWindowStyle, kAppWindowExStyle));
    EXPECT_EQ(window->LayoutProblems(), std::vector<std::string>{});
    window->ShowWindow(true, true);
    Pump(50);  // the start-up checks run once the window is up
    return window;
}

// ---------------------------------------------------------------------------
// The main window

TEST_F(SharedWindows, UpdatePromptCases) {
    struct Case {
        const char* what;
        int state;  // 1 answered, 0 not yet, -1 unparsable
        UpdateInfo info;
        int answer;
        bool shown;
        std::vector<std::string> messages;
        std::vector<std::string> urls;
    } cases[] = {
        {"newer, no question", 1, {true, false, "", "http://dl.tessaly.example/2.1.exe", "2.1.0"}, IDNO, true, {}, {}},
        {"newer and must, No", 1, {true, true, "", "http://dl.tessaly.example/2.1.exe", "2.1.0"}, IDNO, true,
         {"更新|发现新版本，是否立即前往下载？"}, {}},
        {"newer and must, Yes", 1, {true, true, "", "http://dl.tessaly.example/2.1.exe", "2.1.0"}, IDYES, true,
         {"更新|发现新版本，是否立即前往下载？"}, {"http://dl.tessaly.example/2.1.exe 3"}},
        {"no newer version", 1, {false, false, "", "", ""}, IDYES, false, {}, {}},
        {"no answer yet", 0, {}, IDYES, false, {}, {}},
        {"answer did not parse", -1, {}, IDYES, false, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Machine machine;
        ASSERT_TRUE(machine.context.IsReady());
        if (c.state == 1) machine.context.SetUpdateAnswer(c.info);
        if (c.state == -1) machine.context.SetUpdateUnparsable();
        FakeDesktop desk;
        desk.answer = c.answer;
        SecurityDetector detector(probe);
        auto main = OpenMain(machine.context, desk, detector);
        EXPECT_EQ(desk.messages, std::vector<std::string>{}) << "a ready context on D: says nothing at start";
        main->DeliverTimer(CMainDlg::kUpdateTimer);
        EXPECT_EQ(desk.messages, c.messages);
        EXPECT_EQ(desk.urls, c.urls);
        EXPECT_EQ(Control(*main, "new_ver")["text"].asString(), c.shown ? "最新版本：2.1.0" : "最新版本：2.0.0");
        EXPECT_EQ(Control(*main, "update")["enabled"].asBool(), c.shown);
        EXPECT_EQ(Control(*main, "lab_needupdate")["bkimage"].asString(), c.shown ? "skin/ver12.png" : "ver1.png");
        EXPECT_EQ(Control(*main, "cur_ver")["text"].asString(), "当前版本：2.0.0");

        // The update button opens the page once enabled, and sends nothing while disabled.
        desk.urls.clear();
        ASSERT_TRUE(Click(*main, "update"));
        EXPECT_EQ(desk.urls, c.shown ? std::vector<std::string>{"http://dl.tessaly.example/2.1.exe 3"}
                                     : std::vector<std::string>{});
    }
}

TEST_F(SharedWindows, MainWindowMessagesAtStart) {
    {
        AppContext notReady;
        SecurityDetector detector(probe);
        FakeDesktop desk;
        auto main = OpenMain(notReady, desk, detector);
        EXPECT_EQ(desk.messages,
                  std::vector<std::string>{"错误|程序初始化失败,请确保除系统分区外存在其他可用空间大于10GB的分区！"});
    }
    {
        Machine onC(false, true);
        ASSERT_TRUE(onC.context.IsReady());
        ASSERT_EQ(onC.context.WorkspacePath(), "C:\\Quenbrook\\Data\\");
        SecurityDetector detector(probe);
        FakeDesktop desk;
        desk.answer = IDYES;
        onC.context.SetUpdateAnswer({true, true, "", "http://dl.tessaly.example/", "2.1.0"});
        auto main = OpenMain(onC.context, desk, detector);
        main->DeliverTimer(CMainDlg::kUpdateTimer);
        EXPECT_EQ(desk.messages, (std::vector<std::string>{"错误|除系统分区外未找到可用分区。程序无法使用",
                                                           "更新|发现新版本，是否立即前往下载？"}))
            << "after the warning the window works as usual";
    }
}

TEST_F(SharedWindows, MainWindowSwallowsEnterEscapeAndSpace) {
    Machine machine;
    SecurityDetector detector(probe);
    auto main = OpenMain(machine.context, desktop, detector);
    main->Tree().SetFocus(main->FindControl("btn_install"));
    bool warned = false;
    Script closeAnyWarning([&] {
        if (uikit::WindowImplBase* waring = Open("Waring")) {
            warned = true;
            waring->Close(1);
        }
        return false;
    });
    for (unsigned key : {VK_RETURN, VK_SPACE, VK_ESCAPE}) PressKey(main->GetHWND(), key);
    Pump(100);
    EXPECT_TRUE(IsWindow(main->GetHWND())) << "Esc did not close it";
    EXPECT_FALSE(warned) << "Enter and Space did not press the focused button";
    EXPECT_EQ(desktop.messages, std::vector<std::string>{});
}

TEST_F(SharedWindows, AnActionShowsTheNoticeFirstThenSaysWhatIsMissing) {
    Machine machine;
    SecurityDetector detector(probe);
    std::vector<int> reports;
    MainDlgHooks hooks;
    hooks.report = [&](int kind) { reports.push_back(kind); };
    auto main = OpenMain(machine.context, desktop, detector, hooks);
    bool sawNotice = false;
    Script pressIKnow([&] {
        uikit::WindowImplBase* waring = Open("Waring");
        if (!waring) return false;
        sawNotice = true;
        waring->DeliverTimer(CWaring::kCountdownTimer);  // the first showing counts down
        return Click(*waring, "btn_iknow") && Control(*waring, "btn_iknow")["enabled"].asBool();
    });
    ASSERT_TRUE(Click(*main, "btn_restore"));
    EXPECT_TRUE(sawNotice);
    EXPECT_EQ(desktop.messages, std::vector<std::string>{"提示|此版本尚未包含系统还原功能，敬请期待新版本。"});
    EXPECT_EQ(reports, std::vector<int>{5}) << "the choice is reported even though this build has no window for it";
    EXPECT_TRUE(IsWindowVisible(main->GetHWND()));

    // Not ready: the notice, then the refusal.
    AppContext notReady;
    FakeDesktop desk;
    auto second = OpenMain(notReady, desk, detector);
    desk.messages.clear();
    Script again([&] {
        uikit::WindowImplBase* waring = Open("Waring");
        return waring && Click(*waring, "btn_iknow");
    });
    ASSERT_TRUE(Click(*second, "btn_install"));
    EXPECT_EQ(desk.messages, std::vector<std::string>{"错误|程序初始化失败,此功能无法使用！"});
}

TEST_F(SharedWindows, ActionWindowsRunOverAHiddenMainWindow) {
    Machine machine;
    SecurityDetector detector(probe);
    std::vector<int> reports;
    MainDlgHooks hooks;
    hooks.report = [&](int kind) { reports.push_back(kind); };
    hooks.createActionWindow = [&](MainAction action) -> std::unique_ptr<uikit::WindowImplBase> {
        EXPECT_EQ(action, MainAction::kBackup);
        // Any window stands in for the backup window here.
        return std::make_unique<CErrorMsgDlg>(detector);
    };
    auto main = OpenMain(machine.context, desktop, detector, hooks);
    bool mainHiddenMeanwhile = false;
    std::string title;
    Script run([&] {
        if (uikit::WindowImplBase* waring = Open("Waring")) {
            waring->DeliverTimer(CWaring::kCountdownTimer);
            Click(*waring, "btn_iknow");
            return false;
        }
        uikit::WindowImplBase* action = Open("LostFile");
        if (!action || !IsWindowVisible(action->GetHWND())) return false;
        mainHiddenMeanwhile = !IsWindowVisible(main->GetHWND());
        title = action->Title();
        return Click(*action, "btn_ok");
    });
    ASSERT_TRUE(Click(*main, "btn_backup"));
    EXPECT_TRUE(mainHiddenMeanwhile);
    EXPECT_EQ(title, "备份 - Tessaly重装助手");
    EXPECT_EQ(reports, std::vector<int>{3});
    EXPECT_TRUE(IsWindowVisible(main->GetHWND())) << "the main window comes back";
    EXPECT_EQ(Open("LostFile"), nullptr) << "the action window object is gone";
}

TEST_F(SharedWindows, InThePreinstallationEnvironmentASwitchOpensItsWindowAndEndsTheProgram) {
    Machine machine(true);
    ASSERT_TRUE(machine.context.IsPeMode());
    ASSERT_TRUE(machine.context.IsReady());
    SecurityDetector detector(probe);
    MainDlgHooks hooks;
    hooks.commandLine = [] { return std::string("X:\\QNBReinstaller.exe /restore /reinstall"); };
    bool closed = false;
    hooks.closed = [&] { closed = true; };
    auto main = OpenMain(machine.context, desktop, detector, hooks);
    Pump(200, [&] { return closed; });
    EXPECT_EQ(desktop.messages, std::vector<std::string>{"提示|此版本尚未包含系统重装功能，敬请期待新版本。"});
    EXPECT_TRUE(closed) << "the program ends with the chosen window";
}

TEST_F(SharedWindows, TheMenuOpensBesideItsButtonAndItsLinksCarryTheirMarker) {
    Machine machine;
    SecurityDetector detector(probe);
    auto main = OpenMain(machine.context, desktop, detector);
    ASSERT_TRUE(Click(*main, "btn_menu"));
    uikit::WindowImplBase* menu = Open("menuwnd");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->LayoutProblems(), std::vector<std::string>{});
    EXPECT_TRUE(IsWindowVisible(menu->GetHWND()));
    RECT rc;
    GetWindowRect(menu->GetHWND(), &rc);
    POINT corner{rc.left, rc.top};
    ScreenToClient(main->GetHWND(), &corner);
    const uikit::Rect& anchor = main->FindControl("btn_menu")->GetPos();
    EXPECT_EQ(corner.x, anchor.left - 50);
    EXPECT_EQ(corner.y, anchor.top);
    EXPECT_EQ(rc.right - rc.left, 100);
    EXPECT_EQ(rc.bottom - rc.top, 123);
    ASSERT_TRUE(Click(*menu, "btn_jiaocheng"));
    EXPECT_EQ(desktop.urls, std::vector<std::string>{"http://www.tessaly.example/jiaocheng/?from=onekey_reinstall 1"});
    EXPECT_FALSE(IsWindowVisible(menu->GetHWND()));
    ASSERT_TRUE(Click(*main, "course"));
    EXPECT_EQ(desktop.urls.back(), "http://www.tessaly.example/jiaocheng/?src=reinstall_client 3");
}

// ---------------------------------------------------------------------------
// The notice

TEST_F(SharedWindows, TheNoticeCountsDownOnItsFirstShowingOnly) {
    Machine machine;
    SecurityDetector detector(probe);
    WaringCountdown countdown;
    CWaring first(machine.context, detector, countdown);
    ASSERT_TRUE(first.Create(nullptr, "Waring", kWindowStyle, kTopmostExStyle));
    EXPECT_EQ(first.LayoutProblems(), std::vector<std::string>{});
    first.ShowWindow(true, true);
    EXPECT_TRUE(machine.context.Handoff().showedNote) << "recorded at once";
    std::vector<std::string> seen;
    for (int tick = 0; tick <= 5; ++tick) {
        Json::Value button = Control(first, "btn_iknow");
        seen.push_back(button["text"].asString() + (button["enabled"].asBool() ? " on" : " off"));
        if (tick < 5) first.DeliverTimer(CWaring::kCountdownTimer);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"我知道了(5) off", "我知道了(4) off", "我知道了(3) off",
                                              "我知道了(2) off", "我知道了(1) off", "我知道了 on"}));

    // Only "我知道了" leaves it: Enter, Esc, Space and Alt+F4 do not.
    first.Tree().SetFocus(first.FindControl("btn_iknow"));
    for (unsigned key : {VK_RETURN, VK_ESCAPE, VK_SPACE}) PressKey(first.GetHWND(), key);
    SendMessageW(first.GetHWND(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump(50);
    EXPECT_TRUE(IsWindow(first.GetHWND()));
    UINT result = 0;
    {
        Script press([&] { return Click(first, "btn_iknow"); });
        result = first.ShowModal();
    }
    EXPECT_EQ(result, 1u);

    WaringCountdown fresh;
    CWaring second(machine.context, detector, fresh);
    ASSERT_TRUE(second.Create(nullptr, "Waring", kWindowStyle, kTopmostExStyle));
    Json::Value button = Control(second, "btn_iknow");
    EXPECT_EQ(button["text"].asString(), "我知道了") << "bShowedNote is set: usable at once";
    EXPECT_TRUE(button["enabled"].asBool());
}

// ---------------------------------------------------------------------------
// The restart countdown

TEST_F(SharedWindows, RestartCountdownTicks) {
    CShowPictureDlg dialog;
    ASSERT_TRUE(dialog.Create(nullptr, "showpicture", kWindowStyle, WS_EX_WINDOWEDGE));
    EXPECT_EQ(dialog.LayoutProblems(), std::vector<std::string>{});
    dialog.StartCountdown();
    EXPECT_EQ(Control(dialog, "pic_tab")["value"].asInt(), 1);
    Json::Value ring = Control(dialog, "pedownload_progress");
    EXPECT_EQ(ring["type"].asString(), "CXProgress");
    EXPECT_EQ(ring["text"].asString(), "30秒后重启");
    EXPECT_EQ(ring["max"].asInt(), 120);

    for (int i = 0; i < 5; ++i) dialog.DeliverTimer(RebootCountdown::kTimerId);
    ring = Control(dialog, "pedownload_progress");
    EXPECT_EQ(ring["text"].asString(), "28秒后重启");
    EXPECT_EQ(ring["value"].asInt(), 5);
    dialog.DeliverTimer(1);  // another timer does not count
    dialog.DeliverTimer(322);
    EXPECT_EQ(Control(dialog, "pedownload_progress")["value"].asInt(), 5);

    // A click on the background does not end a countdown.
    SendMessageW(dialog.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Pump(30);
    ASSERT_TRUE(IsWindow(dialog.GetHWND()));

    for (int i = 5; i < 120; ++i) dialog.DeliverTimer(RebootCountdown::kTimerId);
    ring = Control(dialog, "pedownload_progress");
    EXPECT_EQ(ring["text"].asString(), "0秒后重启");
    EXPECT_EQ(ring["value"].asInt(), 120);
    Script lastTick([&] {
        dialog.DeliverTimer(RebootCountdown::kTimerId);
        return true;
    });
    EXPECT_EQ(dialog.ShowModal(), 1u) << "the 121st tick restarts";
}

TEST_F(SharedWindows, RestartCountdownButtonsAndPictureView) {
    struct Case {
        const char* button;
        UINT result;
    } cases[] = {{"btn_reboot", 1}, {"btn_cancle", 2}};
    for (const Case& c : cases) {
        CShowPictureDlg dialog;
        ASSERT_TRUE(dialog.Create(nullptr, "showpicture", kWindowStyle, WS_EX_WINDOWEDGE));
        dialog.StartCountdown();
        Script press([&] { return Click(dialog, c.button); });
        EXPECT_EQ(dialog.ShowModal(), c.result) << c.button;
    }
    CShowPictureDlg picture;
    picture.SetPicture("Z:\\no\\such\\picture.jpg");
    ASSERT_TRUE(picture.Create(nullptr, "showpicture", kWindowStyle, WS_EX_WINDOWEDGE));
    EXPECT_EQ(Control(picture, "pic_tab")["value"].asInt(), 0);
    EXPECT_EQ(Control(picture, "image_layout")["bkimage"].asString(), "Z:\\no\\such\\picture.jpg");
    RECT rc;
    GetWindowRect(picture.GetHWND(), &rc);
    EXPECT_EQ(rc.right - rc.left, GetSystemMetrics(SM_CXSCREEN)) << "the whole screen";
    Script click([&] {
        PostMessageW(picture.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
        return true;
    });
    EXPECT_EQ(picture.ShowModal(), 1u) << "a click anywhere closes the picture";
}

// ---------------------------------------------------------------------------
// The lost-file message and the guide

TEST_F(SharedWindows, TheLostFileWindowSplitsItsMessage) {
    struct Case {
        const char* message;
        const char* first;
        const char* second;
    } cases[] = {
        {"系统镜像下载失败,请关闭安全软件或检查网络连接。\r\n点击确定后本软件将自动退出，请稍后重新打开。",
         "系统镜像下载失败,请关闭安全软件或检查网络连接。", "点击确定后本软件将自动退出，请稍后重新打开。"},
        {"关键文件丢失，无法继续，请关闭安全软件后重试。", "关键文件丢失，无法继续，请关闭安全软件后重试。", ""},
    };
    SecurityDetector detector(probe);
    for (const Case& c : cases) {
        CErrorMsgDlg dialog(detector);
        dialog.SetMessage(c.message);
        ASSERT_TRUE(dialog.Create(nullptr, "LostFile", kPopupStyle, kTopmostExStyle));
        EXPECT_EQ(dialog.LayoutProblems(), std::vector<std::string>{});
        EXPECT_EQ(Control(dialog, "msg1")["text"].asString(), c.first);
        EXPECT_EQ(Control(dialog, "msg2")["text"].asString(), c.second);
        Script ok([&] { return Click(dialog, "btn_ok"); });
        EXPECT_EQ(dialog.ShowModal(), 1u);
    }
}

// What the guide shows: the visible options, the selected one, the page
// and, on page 1, the step picture and the next button's text.
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

TEST_F(SharedWindows, GuideWithDefenderAloneGoesStraightToItsSteps) {
    probe.defenderRunning = true;
    SecurityDetector detector(probe);
    CGuideToCloseSafe guide(detector);
    ASSERT_TRUE(guide.Create(nullptr, "GuideToCloseSafe", kPopupStyle, kTopmostExStyle));
    EXPECT_EQ(guide.LayoutProblems(), std::vector<std::string>{});
    std::vector<std::string> seen{GuideState(guide)};
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(Click(guide, "btn_next"));
        seen.push_back(GuideState(guide));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "page 1 skin/safeGuide/windowsDefender1.png 下一步",
                        "page 1 skin/safeGuide/windowsDefender2.png 下一步",
                        "page 1 skin/safeGuide/windowsDefender3.png 下一步",
                        "page 1 skin/safeGuide/windowsDefender4.png 下一步",
                        "page 1 skin/safeGuide/windowsDefender5.png 我学会啦",
                        "windowsDefender* page 0",
                    }));
}

TEST_F(SharedWindows, GuideWithSeveralProductsWaitsForAChoice) {
    probe.processes = {"360tray.exe", "QQPCRTP.exe"};
    probe.defenderRunning = true;
    probe.os = 4;  // Windows 7: no Defender option
    SecurityDetector detector(probe);
    CGuideToCloseSafe guide(detector);
    ASSERT_TRUE(guide.Create(nullptr, "GuideToCloseSafe", kPopupStyle, kTopmostExStyle));
    EXPECT_EQ(GuideState(guide), "360safe 360sd qqpcmgr* page 0") << "the last present product is selected";
    ASSERT_TRUE(Click(guide, "option_360sd"));
    ASSERT_TRUE(Click(guide, "begin"));
    EXPECT_EQ(GuideState(guide), "page 1 skin/safeGuide/360sd1.png 下一步");
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(Click(guide, "btn_next"));
    EXPECT_EQ(GuideState(guide), "360safe 360sd* qqpcmgr page 0");
    Script close([&] { return Click(guide, "btn_close"); });
    EXPECT_EQ(guide.ShowModal(), 1u);
}

TEST_F(SharedWindows, GuideWithNothingToShow) {
    SecurityDetector detector(probe);
    CGuideToCloseSafe guide(detector);
    ASSERT_TRUE(guide.Create(nullptr, "GuideToCloseSafe", kPopupStyle, kTopmostExStyle));
    EXPECT_EQ(GuideState(guide), "page 0");
    ASSERT_TRUE(Click(guide, "begin"));
    EXPECT_EQ(GuideState(guide), "page 0");
}

TEST_F(SharedWindows, TheLostFileWindowOpensTheGuide) {
    probe.processes = {"kxetray.exe"};
    SecurityDetector detector(probe);
    CErrorMsgDlg dialog(detector);
    dialog.SetMessage("关键文件丢失，无法继续，请关闭安全软件后重试。");
    ASSERT_TRUE(dialog.Create(nullptr, "LostFile", kPopupStyle, kTopmostExStyle));
    std::string seen;
    Script steps([&] {
        if (uikit::WindowImplBase* guide = Open("GuideToCloseSafe")) {
            seen = GuideState(*guide);
            return Click(*guide, "btn_close");
        }
        return false;
    });
    ASSERT_TRUE(Click(dialog, "btn_how"));
    EXPECT_EQ(seen, "page 1 skin/safeGuide/duba1.png 下一步");
    EXPECT_TRUE(IsWindow(dialog.GetHWND())) << "back to the message";
}

}  // namespace
}  // namespace qnb::ui
