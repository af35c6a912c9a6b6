// The reinstall wizard's window under Wine on a simulated machine, driven as
// the automation channel drives it: its steps, the strip, the install stage
// with scripted downloads, the backup's news, the hand-over in the
// preinstallation environment and a fatal error. Message boxes and the
// shell go to recorders; the window timers are held and ticked by the test.
#include "ui/wizard/install_dlg.h"

#include "filebackup/backup_error_file.h"
#include "jobs/posted_text.h"
#include "jobs/test_support/instant_clock.h"
#include "jobs/window_messages.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shell_folders.h"
#include "ui/test_support/shared_windows_win32.h"
#include "ui/window_styles.h"
#include "uikit/automation/automation.h"
#include "uikit/controls/list.h"
#include "uikit/test_support/script_win32.h"

#include <atomic>
#include <chrono>
#include <map>
#include <thread>

namespace qnb::ui::test {
namespace {

using qnb::test::InstantClock;
using uikit::test::Script;

class FakeTasks : public DownloadTasks {
public:
    std::optional<DownloadFacts> Query(const std::string& url) override {
        auto it = records.find(url);
        if (it == records.end()) return std::nullopt;
        return it->second;
    }
    void Add(const std::string& url, const std::string&) override { added.push_back(url); }
    std::map<std::string, DownloadFacts> records;
    std::vector<std::string> added;
};

class RecordingShell : public WizardShell {
public:
    void OpenFile(const std::string& path) override { opened.push_back("file " + path); }
    bool OpenHidden(const std::string& path) override {
        opened.push_back("hidden " + path);
        return true;
    }
    std::vector<std::string> opened;
};

class NoPicker : public FolderPicker {
public:
    std::optional<std::string> Pick(HWND, char) override { return std::nullopt; }
};

constexpr char kImage[] = "http://img.example/win10_x64.wim";
constexpr char kPackage[] = "http://pe.example/TessalyPE.wim";

class Wizard : public SharedWindows {
protected:
    void Open(bool pe, bool recommended = true) {
        machine = std::make_unique<Machine>(pe);
        AppContext& context = machine->context;
        std::vector<CatalogueEntry> entries(2);
        entries[0] = {0, kImage, "Windows 10 64位 专业版", "推荐", 12582912, 1554336000, 64, recommended, recommended, 1};
        entries[1] = {1, "http://img.example/win7.wim", "Windows 7 64位 旗舰版", "", 8388608, 1546272000, 4, false,
                      false, 1};
        context.SetCatalogue(entries, {{"Windows 系统", 1}});
        context.SetPackageUrl(kPackage);
        detector = std::make_unique<SecurityDetector>(probe);
        WizardPorts ports;
        ports.context = &context;
        ports.downloads = &downloads;
        ports.files = &machine->files;
        ports.shellFolders = &shellFolders;
        ports.registry = &registry;
        ports.desktop = &desktop;
        ports.detector = detector.get();
        ports.folderPicker = &picker;
        ports.shell = &shell;
        ports.clock = &clock;
        ports.tasks = &tasks;
        ports.install = install;
        ports.undoInstall = undoInstall;
        ports.hardware.initialise = [this] {
            machine->context.Initialise(*machine->storage, *machine->system, machine->files, machine->folders);
        };
        ports.hardware.processorName = [] { return std::optional<std::string>("Test CPU"); };
        ports.hardware.memory = [] { return std::optional<inspect::MemoryStatus>({4ull << 30, 30}); };
        wizard = std::make_unique<CInstallDlg>(std::move(ports));
        ASSERT_TRUE(wizard->Create(nullptr, kWizardTitle, kPopupStyle, 0x00040108));
        EXPECT_EQ(wizard->LayoutProblems(), std::vector<std::string>{});
        wizard->ShowWindow(true, true);
        Pump(2000, [&] { return Text("label_doing") == "运行环境检测完成"; });
    }
    std::string Text(const char* name) { return Control(*wizard, name)["text"].asString(); }
    bool Visible(const char* name) { return Control(*wizard, name)["visible"].asBool(); }
    bool Enabled(const char* name) { return Control(*wizard, name)["enabled"].asBool(); }
    std::string Picture(const char* name) { return Control(*wizard, name)["bkimage"].asString(); }
    int Value(const char* name) { return Control(*wizard, name)["value"].asInt(); }
    bool ClickIn(uikit::CControlUI* control) {
        if (!control) return false;
        auto target = uikit::automation::FindClickTarget(wizard->Tree(), *control);
        if (!target.problem.empty()) return false;
        uikit::automation::Click(wizard->Tree(), target);
        return true;
    }
    uikit::CControlUI* RowControl(int row, const char* name) {
        auto* list = wizard->Find<uikit::CListUI>("sys_list");
        return list && row < list->GetCount() ? uikit::ControlTree::FindIn(list->GetItemAt(row), name) : nullptr;
    }
    void ToInstallStage() {
        ASSERT_TRUE(Click(*wizard, "btn_next"));
        ASSERT_TRUE(Click(*wizard, "btn_next"));
        ASSERT_TRUE(Click(*wizard, "btn_next"));
        ASSERT_EQ(wizard->Step(), kStepInstall);
    }

    std::unique_ptr<Machine> machine;
    CDownloadManager downloads;
    fake::FakeShellFolders shellFolders;
    fake::FakeRegistry registry;
    NoPicker picker;
    RecordingShell shell;
    InstantClock clock;
    FakeTasks tasks;
    std::unique_ptr<SecurityDetector> detector;
    std::unique_ptr<CInstallDlg> wizard;
    std::function<Status(installer::PeInstallMode, installer::PeInstallerOwner&, JobControl&)> install;
    std::function<void()> undoInstall;
};

TEST_F(Wizard, StepsNeedAChosenSystemAndShowTheirPictures) {
    Open(/*pe=*/false, /*recommended=*/false);
    EXPECT_EQ(Text("label_doing"), "运行环境检测完成");
    EXPECT_EQ(Control(*wizard, "install_main_tab")["value"].asInt(), 0);
    EXPECT_EQ(Picture("title"), "skin/title0.png");
    EXPECT_EQ(Picture("install_tip"), "skin/Tip_Hardware.png");
    EXPECT_FALSE(Enabled("btn_back"));
    EXPECT_TRUE(Enabled("btn_next"));
    EXPECT_TRUE(Control(*wizard, "option_hardware")["checked"].asBool());

    ASSERT_TRUE(Click(*wizard, "btn_next"));
    EXPECT_EQ(wizard->Step(), kStepSystem);
    EXPECT_EQ(Picture("title"), "skin/title1.png");
    EXPECT_EQ(Picture("install_tip"), "skin/default.jpg") << "nothing chosen yet";
    EXPECT_TRUE(Visible("lab_sel"));
    ASSERT_TRUE(Click(*wizard, "btn_next"));
    EXPECT_EQ(desktop.messages, std::vector<std::string>{"提示|您必须选择一个要安装的系统，才能进行下一步！"});
    EXPECT_EQ(wizard->Step(), kStepSystem);

    ASSERT_TRUE(ClickIn(RowControl(1, "check_sys")));
    EXPECT_EQ(machine->context.SelectedImageUrl(), "http://img.example/win7.wim");
    EXPECT_EQ(Picture("install_tip"), "skin/win7_64.jpg");
    EXPECT_EQ(Text("lab_selected_sys"), "Windows 7 64位 旗舰版");
    ASSERT_TRUE(Click(*wizard, "btn_next"));
    EXPECT_EQ(wizard->Step(), kStepBackupFiles);
    EXPECT_EQ(Control(*wizard, "install_main_tab")["value"].asInt(), 3);
    EXPECT_EQ(Text("btn_next"), "完成");
    EXPECT_EQ(Picture("install_tip"), "skin/tip_backup.jpg");
    ASSERT_TRUE(Click(*wizard, "btn_back"));
    EXPECT_EQ(wizard->Step(), kStepSystem);
    EXPECT_EQ(Text("btn_next"), "下一步");
    EXPECT_EQ(desktop.messages.size(), 1u);
}

TEST_F(Wizard, TheInstallStageShowsTheDownloadsAndTheBackup) {
    Open(false);
    ToInstallStage();
    EXPECT_FALSE(Visible("right_list"));
    EXPECT_TRUE(Visible("btn_cancle_install"));
    EXPECT_EQ(Control(*wizard, "install_main_tab")["value"].asInt(), 4);
    EXPECT_EQ(Picture("title"), "skin/title4.png");
    EXPECT_EQ(Picture("install_tip"), "skin/tip_end.jpg");
    EXPECT_EQ(Text("lab_selected_sys2"), "已选择：Windows 10 64位");
    EXPECT_TRUE(Control(*wizard, "option_download")["checked"].asBool());

    wizard->DeliverTimer(CInstallDlg::kDownloadTimer);
    EXPECT_EQ(tasks.added, (std::vector<std::string>{kImage, kPackage}));
    DownloadFacts& image = tasks.records[kImage];
    image.state = kDownloadRunning;
    image.totalBytes = 1ull << 30;
    image.doneBytes = 1ull << 29;
    image.speed = 2 << 20;
    image.percent = 50;
    tasks.records[kPackage].state = kDownloadRunning;
    wizard->DeliverTimer(CInstallDlg::kDownloadTimer);
    EXPECT_EQ(Text("lab_sys_task2"), "正在下载");
    EXPECT_EQ(Text("lab_speed2"), "2.0MB/S");
    EXPECT_EQ(Text("lab_size2"), "512.0MB/1024.0MB");
    EXPECT_EQ(Value("task_progress2"), 50);
    EXPECT_EQ(Value("circle_progress"), 47);
    EXPECT_EQ(Text("circle_progress"), "47%");
    EXPECT_EQ(Text("time_remain"), "剩余：4分46秒");

    // The backup of an empty system drive ends at once.
    Pump(3000, [&] { return Text("backup_task") == "资料备份完成"; });
    EXPECT_EQ(Text("backup_task"), "资料备份完成");
}

TEST_F(Wizard, BackupErrorsAreCountedListedAndTurnTheRestartOff) {
    Open(false);
    ToInstallStage();
    Pump(3000, [&] { return Text("backup_task") == "资料备份完成"; });
    PostMessageW(wizard->GetHWND(), WM_BACKUP_STATUS, NewPostedText("C:\\Users\\me\\Desktop\\a.jpg"), 0);
    Pump(200, [&] { return Text("backup_task") != "资料备份完成"; });
    EXPECT_EQ(Text("backup_task"), "C:\\Users\\me\\Desktop\\a.jpg");
    for (int i = 0; i < 2; ++i) {
        PostMessageW(wizard->GetHWND(), WM_BACKUP_FILE_ERROR, NewPostedText("C:\\Users\\me\\Desktop\\locked.docx"), 32);
    }
    Pump(300, [&] { return wizard->BackupErrors() == 2; });
    EXPECT_EQ(Text("backup_error"), "2个文件备份出错");
    EXPECT_TRUE(Visible("backup_error") && Visible("backup_error_code"));
    EXPECT_FALSE(Control(*wizard, "check_reboot")["checked"].asBool());
    EXPECT_FALSE(wizard->RestartWhenFinished());
    std::optional<std::string> list = machine->files.readFile("D:\\backup_error.txt");
    ASSERT_TRUE(list);
    EXPECT_EQ(*list, BackupErrorLine("C:\\Users\\me\\Desktop\\locked.docx", 32) +
                         BackupErrorLine("C:\\Users\\me\\Desktop\\locked.docx", 32));

    ASSERT_TRUE(Click(*wizard, "check_reboot"));
    EXPECT_TRUE(wizard->RestartWhenFinished()) << "the last event wins";
    EXPECT_TRUE(Control(*wizard, "check_reboot")["checked"].asBool());
    ASSERT_TRUE(Click(*wizard, "check_reboot"));
    EXPECT_FALSE(wizard->RestartWhenFinished());
    ASSERT_TRUE(Click(*wizard, "backup_error_code"));
    EXPECT_EQ(shell.opened, std::vector<std::string>{"file D:\\backup_error.txt"});
}

TEST_F(Wizard, InTheEnvironmentOnlyTheImageIsFetchedAndChangeDeskTakesOver) {
    Open(/*pe=*/true);
    ToInstallStage();
    wizard->DeliverTimer(CInstallDlg::kDownloadTimer);
    EXPECT_EQ(tasks.added, std::vector<std::string>{kImage}) << "no package in the environment";
    DownloadFacts& image = tasks.records[kImage];
    image.state = kDownloadComplete;
    image.savePath = machine->context.WorkspacePath() + "win10_x64.wim";
    Script poll([&] {
        wizard->DeliverTimer(CInstallDlg::kDownloadTimer);
        return true;
    });
    EXPECT_EQ(wizard->ShowModal(), 1u);
    EXPECT_EQ(shell.opened, std::vector<std::string>{"hidden X:\\windows\\changeDesk.exe"});
    HandoffValues handoff = machine->context.Handoff();
    EXPECT_EQ(handoff.option, 0);
    EXPECT_EQ(handoff.imagePath, "win10_x64.wim");
}

TEST_F(Wizard, AFailedImageShowsTheErrorWindowEndsTheWizardAndTheProgram) {
    Open(false);
    ToInstallStage();
    tasks.records[kImage].state = kDownloadFailed;
    std::string shown;
    Script steps([&] {
        if (uikit::WindowImplBase* error = ui::test::Open("LostFile")) {
            shown = Control(*error, "msg1")["text"].asString();
            return Click(*error, "btn_ok");
        }
        wizard->DeliverTimer(CInstallDlg::kDownloadTimer);
        return false;
    });
    EXPECT_EQ(wizard->ShowModal(), 2u);
    EXPECT_EQ(shown, "系统镜像下载失败,请关闭安全软件或检查网络连接。");
    EXPECT_FALSE(wizard->RestartWhenFinished());
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the program is told to end";
}

TEST_F(Wizard, QuittingAsksFirstAndKeysCloseNothing) {
    Open(false);
    for (unsigned key : {VK_RETURN, VK_ESCAPE, VK_SPACE}) PressKey(wizard->GetHWND(), key);
    Pump(50);
    EXPECT_TRUE(IsWindow(wizard->GetHWND()));
    EXPECT_EQ(wizard->Step(), kStepHardware) << "Enter does not press Next";
    desktop.answer = IDNO;
    ASSERT_TRUE(Click(*wizard, "btn_close"));
    Pump(100);
    EXPECT_TRUE(IsWindow(wizard->GetHWND()));
    EXPECT_EQ(desktop.messages, std::vector<std::string>{"退出？|是否退出？"});
    desktop.answer = IDYES;
    Script quit([&] { return Click(*wizard, "btn_close"); });
    EXPECT_EQ(wizard->ShowModal(), 2u);
}

TEST_F(Wizard, AQuitWhileTheInstallerRunsTakesBackWhatItPrepared) {
    struct Case {
        const char* what;
        bool reachesItsEnding;  // past the boot change when the stop comes
        int undos;
    } cases[] = {
        {"stopped before the boot change", false, 0},
        {"went on to its ending", true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::atomic<bool> running{false};
        int undos = 0;
        install = [&](installer::PeInstallMode mode, installer::PeInstallerOwner&, JobControl& control) -> Status {
            EXPECT_EQ(mode, installer::PeInstallMode::kReinstall);
            running = true;
            while (!control.StopRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (c.reachesItsEnding) return {};
            return Failure{"install", "stopped", 1223};
        };
        undoInstall = [&] { ++undos; };
        Open(false);
        ToInstallStage();
        wizard->DeliverTimer(CInstallDlg::kDownloadTimer);
        for (const char* url : {kImage, kPackage}) {
            tasks.records[url].state = kDownloadComplete;
            tasks.records[url].savePath = machine->context.WorkspacePath() + "file.wim";
        }
        wizard->DeliverTimer(CInstallDlg::kDownloadTimer);
        Pump(5000, [&] { return running.load(); });
        ASSERT_TRUE(running) << "the installer runs once downloads and backup are done";

        desktop.answer = IDYES;
        bool hiddenMeanwhile = false;
        Script quit([&] {
            if (!Click(*wizard, "btn_close")) return false;
            hiddenMeanwhile = !IsWindowVisible(wizard->GetHWND()) && IsWindow(wizard->GetHWND());
            return true;
        });
        EXPECT_EQ(wizard->ShowModal(), 2u);
        EXPECT_TRUE(hiddenMeanwhile) << "the window waits hidden for the installer's end";
        EXPECT_EQ(undos, c.undos);
        wizard.reset();
        desktop.messages.clear();
        tasks = FakeTasks();
    }
}

}  // namespace
}  // namespace qnb::ui::test
