// The system backup window under Wine, on machines in memory, with the
// package's download and the installer scripted (flow_bench_win32.h) and
// the shared windows' fixture (timers held: the tests deliver the ticks).
#include "ui/backup/backup_dlg.h"

#include "jobs/window_messages.h"
#include "platform/text.h"
#include "ui/backup/test_support/flow_bench_win32.h"
#include "ui/test_support/shared_windows_win32.h"
#include "ui/window_styles.h"
#include "uikit/test_support/script_win32.h"

#include <json/json.h>

namespace qnb::ui::test {
namespace {

using uikit::test::Script;

constexpr char kSettingJson[] = "D:\\Quenbrook\\Data\\系统备份\\Setting.json";

class BackupWindow : public SharedWindows {
protected:
    void Make(FlowBench& bench) {
        detector_ = std::make_unique<SecurityDetector>(probe);
        window = std::make_unique<CXBackUpDlg>(bench.Services(desktop, *detector_), bench.camera);
        ASSERT_TRUE(window->Create(nullptr, "备份 - Tessaly重装助手", kPopupStyle, kAppWindowExStyle));
        EXPECT_EQ(window->LayoutProblems(), std::vector<std::string>{});
        window->ShowWindow(true, true);
    }
    std::string Text(const char* control) { return Control(*window, control)["text"].asString(); }
    bool Visible() { return IsWindowVisible(window->GetHWND()) != FALSE; }
    // Page 0 filled: the first timer, and the picture's after it.
    void Fill() {
        window->DeliverTimer(CXBackUpDlg::kFillTimer);
        window->DeliverTimer(CXBackUpDlg::kPictureTimer);
    }
    Json::Value Description(FlowBench& bench) {
        Json::Value root;
        EXPECT_TRUE(Json::Reader().parse(bench.files.Content(kSettingJson).value_or(""), root));
        return root;
    }

    std::unique_ptr<SecurityDetector> detector_;
    std::unique_ptr<CXBackUpDlg> window;
};

TEST_F(BackupWindow, TheFirstPageShowsTheDesktopPictureTheDateAndTheSystem) {
    FlowBench bench;
    Make(bench);
    EXPECT_EQ(Text("label_backuptime"), "备份时间：");
    EXPECT_EQ(Text("btn_ok"), "开始备份");
    EXPECT_EQ(Control(*window, "backup_main_tab")["value"].asInt(), 0);

    window->DeliverTimer(CXBackUpDlg::kFillTimer);
    EXPECT_EQ(bench.camera.shown, 1) << "the other windows go";
    EXPECT_FALSE(Visible()) << "this window is not in its own picture";

    window->DeliverTimer(CXBackUpDlg::kPictureTimer);
    EXPECT_TRUE(Visible());
    EXPECT_EQ(window->PicturePath(), "C:\\Temp\\1462240800.jpg");
    EXPECT_EQ(Control(*window, "label_desktopimage")["bkimage"].asString(), "C:\\Temp\\1462240800.jpg");
    EXPECT_EQ(Text("label_backuptime"), "备份时间：2016年05月03日");
    EXPECT_EQ(Text("label_backupsystem"), "系统信息：Windows 7 64位");
    EXPECT_FALSE(GetWindowLongW(window->GetHWND(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "topmost only for a moment";
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(BackupWindow, APictureThatCannotBeTakenLeavesTheLabelWithoutOne) {
    FlowBench bench;
    bench.camera.works = false;
    Make(bench);
    Fill();
    EXPECT_TRUE(Visible());
    EXPECT_EQ(window->PicturePath(), "");
    EXPECT_EQ(Control(*window, "label_desktopimage")["bkimage"].asString(), "");
    EXPECT_EQ(Text("label_backuptime"), "备份时间：2016年05月03日");
}

TEST_F(BackupWindow, InsideTheEnvironmentWithoutAWindowsOnDiskItSaysSoAndCloses) {
    FlowBench bench(true, false);
    Make(bench);
    Script fill([&] {
        window->DeliverTimer(CXBackUpDlg::kFillTimer);
        return true;
    });
    EXPECT_EQ(window->ShowModal(), 2u);
    EXPECT_EQ(desktop.messages, std::vector<std::string>{"错误|硬盘中未发现系统，无法继续。"});
    EXPECT_EQ(bench.camera.shown, 0);
}

TEST_F(BackupWindow, InsideTheEnvironmentStartRecordsTheBackupAndHandsOver) {
    FlowBench bench(true);
    Make(bench);
    window->DeliverTimer(CXBackUpDlg::kFillTimer);
    EXPECT_EQ(bench.camera.shown, 0) << "no picture in the environment";
    EXPECT_TRUE(Visible());
    EXPECT_EQ(Text("label_backuptime"), "备份时间：2016年05月03日");
    window->FindControl("edit_backupinfo")->SetText("PE里做的备份");
    Script start([&] { return Click(*window, "btn_ok") && Click(*window, "btn_ok"); });
    EXPECT_EQ(window->ShowModal(), 1u);

    Json::Value description = Description(bench);
    EXPECT_EQ(description["pic"].asString(), "");
    EXPECT_EQ(description["time"].asString(), "1462240800");
    EXPECT_TRUE(HasOption(bench.Setting(), 1));
    std::vector<ProcessRequest> runs = bench.process.Requests();
    ASSERT_EQ(runs.size(), 1u) << "a second click before the close hands over nothing more";
    EXPECT_EQ(runs[0].program, "X:\\windows\\changeDesk.exe");
    EXPECT_TRUE(runs[0].hidden);
    EXPECT_FALSE(runs[0].wait);
    EXPECT_TRUE(bench.downloads.Added().empty()) << "no package";
    EXPECT_EQ(bench.installer.runs, 0) << "no installer";
    EXPECT_TRUE(desktop.messages.empty()) << "no restart question";
}

DownloadFacts Record(int32_t state, int32_t percent = 0, uint64_t total = 0, uint64_t done = 0, int32_t speed = 0) {
    DownloadFacts r;
    r.state = state;
    r.percent = percent;
    r.totalBytes = total;
    r.doneBytes = done;
    r.speed = speed;
    return r;
}

TEST_F(BackupWindow, StartFollowsTheDownloadIntoTheInstallerAndTheFinishingStep) {
    FlowBench bench;
    Make(bench);
    Fill();
    window->FindControl("edit_backupinfo")->SetText("装好了驱动\r\n和办公软件");
    ASSERT_TRUE(Click(*window, "btn_ok"));
    EXPECT_EQ(Control(*window, "backup_main_tab")["value"].asInt(), 1);
    EXPECT_EQ(Text("pedownload_info"), "正在下载PE...");

    window->DeliverTimer(kPackageTimer);
    EXPECT_EQ(bench.downloads.Added(), std::vector<std::string>{"http://127.0.0.1/TessalyPE.wim|D:\\Quenbrook\\Data\\"});
    bench.downloads.Set(Record(kDownloadRunning, 42, 65 * 1048576ULL, 10 * 1048576ULL, 1048576));
    window->DeliverTimer(kPackageTimer);
    EXPECT_EQ(Control(*window, "pedownload_progress")["value"].asInt(), 42);
    EXPECT_EQ(Text("pedownload_progress"), "42%");
    EXPECT_EQ(Text("pedownload_info"), "正在下载PE，1024.0KB/S,");
    EXPECT_EQ(Text("pedownload_remain"), "剩余：1分5秒");
    bench.downloads.Set(Record(kDownloadRunning, 43, 65 * 1048576ULL, 11 * 1048576ULL, 0));
    window->DeliverTimer(kPackageTimer);
    EXPECT_EQ(Text("pedownload_progress"), "43%");
    EXPECT_EQ(Text("pedownload_remain"), "剩余：1分5秒") << "without speed the labels keep their texts";
    EXPECT_EQ(bench.downloads.Added().size(), 1u);

    desktop.answer = IDYES;
    bench.downloads.Set(Record(kDownloadComplete, 100));
    window->DeliverTimer(kPackageTimer);
    Pump(5000, [&] { return !desktop.messages.empty(); });
    EXPECT_EQ(bench.installer.runs, 1);
    EXPECT_EQ(desktop.messages, std::vector<std::string>{"重启提示|准备工作进行完成\r\n是否立即重启，并开始备份"});
    EXPECT_EQ(bench.restarts, 1);
    EXPECT_EQ(Text("pedownload_progress"), "100%");
    EXPECT_EQ(Text("pedownload_info"), "备份操作将在重启后继续!");
    EXPECT_EQ(Text("pedownload_remain"), " ");

    Json::Value description = Description(bench);
    EXPECT_EQ(description["pic"].asString(), "1462240800.jpg");
    EXPECT_EQ(description["sysname"].asString(), "Windows 7");
    EXPECT_TRUE(description["iswow64"].asBool());
    EXPECT_EQ(text::AnsiToUtf8(description["note"].asString()), "装好了驱动\r\n和办公软件");
    EXPECT_EQ(bench.files.Content("D:\\Quenbrook\\Data\\系统备份\\Picture\\1462240800.jpg"), "JPEG of the desktop");
    EXPECT_TRUE(HasOption(bench.Setting(), 1));
    EXPECT_TRUE(IsWindow(window->GetHWND())) << "the window stays on its last page";

    // Another tick of a timer that was stopped changes nothing.
    window->DeliverTimer(kPackageTimer);
    EXPECT_EQ(bench.installer.runs, 1);
}

TEST_F(BackupWindow, NoOnTheRestartQuestionLeavesTheWindowOpen) {
    FlowBench bench;
    Make(bench);
    Fill();
    ASSERT_TRUE(Click(*window, "btn_ok"));
    desktop.answer = IDNO;
    bench.downloads.Set(Record(kDownloadComplete, 100));
    window->DeliverTimer(kPackageTimer);
    Pump(5000, [&] { return !desktop.messages.empty(); });
    EXPECT_EQ(bench.restarts, 0);
    EXPECT_TRUE(HasOption(bench.Setting(), 1));
    EXPECT_TRUE(IsWindow(window->GetHWND()));
}

TEST_F(BackupWindow, ASettingFileThatCannotBeSavedTakesTheBootEntryBackAndAsksNoRestart) {
    FlowBench bench;
    Make(bench);
    Fill();
    ASSERT_TRUE(Click(*window, "btn_ok"));
    bench.files.SetAttributes("D:\\Quenbrook\\Data\\SETTING.JSON", kFileAttributeReadOnly);
    desktop.answer = IDYES;
    bench.downloads.Set(Record(kDownloadComplete, 100));
    window->DeliverTimer(kPackageTimer);
    Pump(5000, [&] { return !desktop.messages.empty(); });
    EXPECT_EQ(bench.installer.runs, 1);
    EXPECT_EQ(desktop.messages,
              std::vector<std::string>{"错误|关键文件丢失，无法继续\r\n请关闭杀毒并重启本软件后重试!"});
    EXPECT_EQ(bench.restarts, 0);
    EXPECT_EQ(bench.undos, 1) << "the environment is not started with an older SETTING.JSON";
    EXPECT_FALSE(HasOption(bench.Setting(), 1));
}

TEST_F(BackupWindow, AFailedDownloadSaysSoAndClosesWithoutStartingItAgain) {
    FlowBench bench;
    Make(bench);
    Fill();
    ASSERT_TRUE(Click(*window, "btn_ok"));
    bench.downloads.Set(Record(kDownloadFailed));
    Script tick([&] {
        window->DeliverTimer(kPackageTimer);
        return true;
    });
    EXPECT_EQ(window->ShowModal(), 2u);
    EXPECT_EQ(desktop.messages,
              std::vector<std::string>{"错误|关键文件下载失败，无法继续，请关闭杀毒并重启本软件后重试!"});
    EXPECT_TRUE(bench.downloads.Added().empty());
    EXPECT_EQ(bench.installer.runs, 0);
}

TEST_F(BackupWindow, TheInstallersFailureShowsInTheErrorWindowAndTheWindowStays) {
    FlowBench bench;
    bench.installer.fatal = "关键文件丢失，无法继续\r\n请关闭杀毒并重启本软件后重试!";
    Make(bench);
    Fill();
    ASSERT_TRUE(Click(*window, "btn_ok"));
    bench.downloads.Set(Record(kDownloadComplete, 100));
    window->DeliverTimer(kPackageTimer);
    uikit::WindowImplBase* error = nullptr;
    Script look([&] {
        error = Open("LostFile");
        if (!error) return false;
        EXPECT_EQ(Control(*error, "msg1")["text"].asString(), "关键文件丢失，无法继续");
        return Click(*error, "btn_ok");
    });
    Pump(5000, [&] { return error && !Open("LostFile"); });
    EXPECT_NE(error, nullptr) << "the error window showed";
    EXPECT_TRUE(IsWindow(window->GetHWND()));
    EXPECT_FALSE(bench.files.Content(kSettingJson)) << "no finishing step";
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(BackupWindow, QuittingWhileTheInstallerRunsWaitsHiddenForItsEndAndTakesItBack) {
    struct Case {
        bool stopEndsEarly;  // the installer stops before changing anything
        int undos;
    } cases[] = {{true, 0}, {false, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stopEndsEarly ? "stopped before any change" : "past the change, to its end");
        FlowBench bench;
        bench.installer.stopEndsEarly = c.stopEndsEarly;
        bench.installer.Hold();
        desktop.messages.clear();
        desktop.answer = IDYES;
        Make(bench);
        Fill();
        ASSERT_TRUE(Click(*window, "btn_ok"));
        bench.downloads.Set(Record(kDownloadComplete, 100));
        window->DeliverTimer(kPackageTimer);
        int step = 0;
        int hiddenTicks = 0;
        Script quit([&] {
            if (step == 0 && bench.installer.Waiting()) {
                step = 1;
                Click(*window, "btn_close");
                return false;
            }
            if (step == 1 && IsWindow(window->GetHWND()) && !Visible() && ++hiddenTicks == 5) {
                // Asked and answered, the installer still going: the window is hidden and stays.
                bench.installer.Release();
                return true;
            }
            return false;
        });
        EXPECT_EQ(window->ShowModal(), 2u);
        EXPECT_EQ(hiddenTicks, c.stopEndsEarly ? 0 : 5);
        EXPECT_EQ(desktop.messages, std::vector<std::string>{"退出？|是否退出？"}) << "and no restart question";
        EXPECT_EQ(bench.undos, c.undos);
        EXPECT_FALSE(bench.files.Content(kSettingJson)) << "nothing recorded for a backup the user left";
        EXPECT_FALSE(HasOption(bench.Setting(), 1));
        window.reset();
    }
}

TEST_F(BackupWindow, QuittingOnTheFirstPageClosesAtOnceAndNoClosesNothing) {
    FlowBench bench;
    Make(bench);
    Fill();
    desktop.answer = IDNO;
    ASSERT_TRUE(Click(*window, "btn_close"));
    Pump(50);
    EXPECT_TRUE(IsWindow(window->GetHWND()));
    desktop.answer = IDYES;
    Script quit([&] { return Click(*window, "btn_close"); });
    EXPECT_EQ(window->ShowModal(), 2u);
    EXPECT_EQ(desktop.messages, (std::vector<std::string>{"退出？|是否退出？", "退出？|是否退出？"}));
    EXPECT_EQ(bench.undos, 0);
}

TEST_F(BackupWindow, EscapeIsSwallowed) {
    FlowBench bench;
    Make(bench);
    Fill();
    PressKey(window->GetHWND(), VK_ESCAPE);
    Pump(50);
    EXPECT_TRUE(IsWindow(window->GetHWND()));
}

}  // namespace
}  // namespace qnb::ui::test
