// The restore window under Wine, on machines in memory with a Record.json
// of their own, the package's download and the installer scripted
// (ui/backup/test_support/flow_bench_win32.h), timers held.
#include "ui/restore/restore_dlg.h"

#include "platform/text.h"
#include "ui/backup/test_support/flow_bench_win32.h"
#include "ui/restore/image_list.h"
#include "ui/test_support/shared_windows_win32.h"
#include "ui/window_styles.h"
#include "uikit/test_support/script_win32.h"

namespace qnb::ui::test {
namespace {

using uikit::test::Script;

constexpr char kBackups[] = "D:\\Quenbrook\\Data\\系统备份\\";

// Record.json as the environment writes it (ANSI), with a comment.
std::string RecordFile(const std::vector<BackupRecord>& records) {
    std::string text = "// Tessaly PE\n{\"list\": [";
    for (size_t i = 0; i < records.size(); ++i) {
        const BackupRecord& r = records[i];
        text += (i ? ",\n" : "\n") + std::string("{\"time\": \"") + r.time + "\", \"sys\": \"" + r.sys +
                "\", \"note\": \"" + r.note + "\", \"pic\": \"" + r.pic + "\", \"file\": \"" + r.file + "\"}";
    }
    return text::Utf8ToAnsi(text + "]}");
}

class RestoreWindow : public SharedWindows {
protected:
    // Backups of 3 May 2016 at 10:00 and 15:00 and 4 May at 09:00 (UTC+8);
    // the second one's image is missing.
    void Backups(FlowBench& bench, bool lastMissing = false) {
        records = {{"1462240800", "Windows 7 旗舰版 64位", "装好了驱动", "1462240800.jpg", "1462240800.wim"},
                   {"1462258800", "Windows 7 旗舰版 64位", "", "1462258800.jpg", "gone.wim"},
                   {"1462323600", "Windows 10 专业版 64位", "装了办公软件", "1462323600.jpg",
                    lastMissing ? "also-gone.wim" : "1462323600.wim"}};
        bench.files.AddFile(std::string(kBackups) + "Record.json", RecordFile(records));
        bench.files.AddFile(std::string(kBackups) + "1462240800.wim", std::string(2 * 1048576, 'a'));
        bench.files.AddFile(std::string(kBackups) + "1462323600.wim", std::string(3 * 1048576 + 524288, 'c'));
    }
    void Make(FlowBench& bench) {
        detector_ = std::make_unique<SecurityDetector>(probe);
        window = std::make_unique<CRestoreDlg>(bench.Services(desktop, *detector_));
        ASSERT_TRUE(window->Create(nullptr, "还原 - Tessaly重装助手", kPopupStyle, 0x00040108));
        EXPECT_EQ(window->LayoutProblems(), std::vector<std::string>{});
        window->ShowWindow(true, true);
    }
    void Start() { Pump(100); }  // the start waits until the window is up
    std::string Text(const char* control) { return Control(*window, control)["text"].asString(); }
    int Selected() { return window->Find<CXImageList>("list_backup_image")->GetCurSel(); }

    std::vector<BackupRecord> records;
    std::unique_ptr<SecurityDetector> detector_;
    std::unique_ptr<CRestoreDlg> window;
};

TEST_F(RestoreWindow, TheBackupsAreListedAndTheLastIsShown) {
    FlowBench bench;
    Backups(bench);
    Make(bench);
    Start();
    EXPECT_EQ(window->Find<CXImageList>("list_backup_image")->Texts(),
              (std::vector<std::string>{"2016年05月03日", "2016年05月03日 (1)", "2016年05月04日"}));
    EXPECT_EQ(Selected(), 2);
    EXPECT_EQ(Text("restore_backup_size"), "镜像大小：3.5MB");
    EXPECT_EQ(Text("restore_backup_system"), "系统版本：Windows 10 专业版 64位");
    EXPECT_EQ(Control(*window, "btn_desktopimage")["bkimage"].asString(), std::string(kBackups) + "Picture\\1462323600.jpg");
    EXPECT_EQ(Text("btn_desktopimage"), "点击查看大图");
    EXPECT_EQ(Text("edit_backupinfo"), "装了办公软件");
    EXPECT_FALSE(Control(*window, "edit_backupinfo")["enabled"].asBool());
    EXPECT_TRUE(desktop.messages.empty());

    window->Find<CXImageList>("list_backup_image")->SelectItem(0);
    Pump(30);
    EXPECT_EQ(Text("restore_backup_size"), "镜像大小：2.0MB");
    EXPECT_EQ(Text("edit_backupinfo"), "装好了驱动");
}

TEST_F(RestoreWindow, AMissingImageIsSaidOnceAndNoRowStaysSelected) {
    FlowBench bench;
    Backups(bench, true);
    Make(bench);
    Start();
    EXPECT_EQ(desktop.messages, std::vector<std::string>{"错误|程序无法找到您选择的镜像！"});
    EXPECT_EQ(Selected(), -1);
    EXPECT_EQ(Text("restore_backup_size"), "镜像大小：?");
    EXPECT_EQ(Text("restore_backup_system"), "系统版本：?");
    EXPECT_EQ(Control(*window, "btn_desktopimage")["bkimage"].asString(), "");
    EXPECT_EQ(Text("edit_backupinfo"), "");

    ASSERT_TRUE(Click(*window, "btn_ok"));
    EXPECT_EQ(desktop.messages.back(), "错误|请选择一个备份！");
    EXPECT_EQ(Control(*window, "restore_main_tab")["value"].asInt(), 0);
    EXPECT_TRUE(bench.downloads.Added().empty());
}

TEST_F(RestoreWindow, WithoutBackupsItSaysSoAndCloses) {
    for (const char* file : {"", "{\"list\": []}", "not json", "{\"list\": [{\"time\": 5}]}"}) {
        FlowBench bench;
        if (*file) bench.files.AddFile(std::string(kBackups) + "Record.json", file);
        desktop.messages.clear();
        Make(bench);
        EXPECT_EQ(window->ShowModal(), 2u) << file;
        EXPECT_EQ(desktop.messages, std::vector<std::string>{"错误|未找到备份的镜像，请先备份系统！"}) << file;
        window.reset();
    }
}

TEST_F(RestoreWindow, StartPreparesTheChosenBackupAtTheInstallersEnd) {
    FlowBench bench;
    Backups(bench);
    Make(bench);
    Start();
    window->Find<CXImageList>("list_backup_image")->SelectItem(0);
    Pump(30);
    ASSERT_TRUE(Click(*window, "btn_ok"));
    EXPECT_EQ(Control(*window, "restore_main_tab")["value"].asInt(), 1);
    window->DeliverTimer(kPackageTimer);
    EXPECT_EQ(bench.downloads.Added(), std::vector<std::string>{"http://127.0.0.1/TessalyPE.wim|D:\\Quenbrook\\Data\\"});
    DownloadFacts running;
    running.state = kDownloadRunning;
    running.percent = 7;
    running.totalBytes = 65 * 1048576ULL;
    running.doneBytes = 10 * 1048576ULL;
    running.speed = 1048576;
    bench.downloads.Set(running);
    window->DeliverTimer(kPackageTimer);
    EXPECT_EQ(Text("pedownload_progress"), "7%");
    EXPECT_EQ(Text("pedownload_remain"), "剩余： 1分 5秒") << "the restore window pads";

    desktop.answer = IDYES;
    DownloadFacts done;
    done.state = kDownloadComplete;
    bench.downloads.Set(done);
    window->DeliverTimer(kPackageTimer);
    Pump(5000, [&] { return !desktop.messages.empty(); });
    EXPECT_EQ(desktop.messages, std::vector<std::string>{"重启提示|准备工作进行完成\r\n是否立即重启，并开始还原备份"});
    EXPECT_EQ(bench.installer.restarts, 1);
    std::string setting = bench.Setting();
    EXPECT_TRUE(HasOption(setting, 2)) << setting;
    EXPECT_NE(setting.find("\"strImagePath\" : \"1462240800.wim\""), std::string::npos) << setting;
    EXPECT_EQ(Text("pedownload_info"), "还原操作将在重启后继续!");
}

TEST_F(RestoreWindow, InsideTheEnvironmentStartPreparesAndHandsOver) {
    FlowBench bench(true);
    Backups(bench);
    Make(bench);
    Start();
    Script start([&] { return Click(*window, "btn_ok") && Click(*window, "btn_ok"); });
    EXPECT_EQ(window->ShowModal(), 1u);
    std::string setting = bench.Setting();
    EXPECT_TRUE(HasOption(setting, 2)) << setting;
    EXPECT_NE(setting.find("\"strImagePath\" : \"1462323600.wim\""), std::string::npos) << setting;
    std::vector<ProcessRequest> runs = bench.process.Requests();
    ASSERT_EQ(runs.size(), 1u) << "a second click before the close hands over nothing more";
    EXPECT_EQ(runs[0].program, "X:\\windows\\changeDesk.exe");
    EXPECT_TRUE(bench.downloads.Added().empty());
    EXPECT_EQ(bench.installer.runs, 0);
}

TEST_F(RestoreWindow, QuittingWhileTheInstallerRunsPreparesNothing) {
    FlowBench bench;
    bench.installer.stopEndsEarly = false;
    bench.installer.Hold();
    Backups(bench);
    Make(bench);
    Start();
    ASSERT_TRUE(Click(*window, "btn_ok"));
    DownloadFacts done;
    done.state = kDownloadComplete;
    bench.downloads.Set(done);
    window->DeliverTimer(kPackageTimer);
    desktop.answer = IDYES;
    bool clicked = false;
    Script quit([&] {
        if (!clicked && bench.installer.Waiting()) {
            clicked = true;
            Click(*window, "btn_close");
            bench.installer.Release();
            return true;
        }
        return false;
    });
    EXPECT_EQ(window->ShowModal(), 2u);
    EXPECT_EQ(desktop.messages, std::vector<std::string>{"退出？|是否退出？"});
    EXPECT_EQ(bench.undos, 1);
    EXPECT_EQ(bench.installer.restarts, 0);
    EXPECT_FALSE(HasOption(bench.Setting(), 2)) << "no restore is left prepared";
}

TEST_F(RestoreWindow, ThePictureOpensTheLargeView) {
    FlowBench bench;
    Backups(bench);
    Make(bench);
    Start();
    uikit::WindowImplBase* view = nullptr;
    std::string shown;
    Script look([&] {
        view = Open("showpicture");
        if (!view) return false;
        shown = Control(*view, "image_layout")["bkimage"].asString();
        PostMessageW(view->GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
        return true;
    });
    ASSERT_TRUE(Click(*window, "btn_desktopimage"));
    EXPECT_NE(view, nullptr);
    EXPECT_EQ(shown, std::string(kBackups) + "Picture\\1462323600.jpg");
    EXPECT_EQ(Open("showpicture"), nullptr) << "a click closed it";
}

TEST_F(RestoreWindow, EnterEscapeAndSpaceAreSwallowed) {
    FlowBench bench;
    Backups(bench);
    Make(bench);
    Start();
    for (unsigned key : {VK_RETURN, VK_ESCAPE, VK_SPACE}) PressKey(window->GetHWND(), key);
    Pump(50);
    EXPECT_TRUE(IsWindow(window->GetHWND()));
}

}  // namespace
}  // namespace qnb::ui::test
