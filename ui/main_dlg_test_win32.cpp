// The main window under Wine: its update prompt, its messages at start,
// the keys it swallows, and the actions it starts.
// The fixture and helpers: ui/test_support/shared_windows_win32.h.
#include "ui/main_dlg.h"

#include "ui/error_msg_dlg.h"
#include "ui/test_support/shared_windows_win32.h"
#include "ui/waring_dlg.h"
#include "uikit/test_support/script_win32.h"

namespace qnb::ui::test {
namespace {

using uikit::test::Script;

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

}  // namespace
}  // namespace qnb::ui::test
