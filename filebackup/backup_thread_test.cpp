// The backup thread on simulated machines whose drives are temporary
// folders: the hand-off values it writes, what it copies, what it tells.
#include "filebackup/backup_thread.h"

#include "app/test_support/pe_builder.h"
#include "filebackup/backup_exclusions.h"
#include "filebackup/backup_texts.h"
#include "filebackup/qq_folder.h"
#include "filebackup/test_support/backup_fixture.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shell_folders.h"

#include <gtest/gtest.h>
#include <json/json.h>

namespace qnb {
namespace {

using test::FilesUnder;

const char kBackupRoot[] = "D:\\Quenbrook\\Data\\文件备份";

class BackupThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()));
        ASSERT_EQ(context.WorkspacePath(), "D:\\Quenbrook\\Data\\");
        shell.Set(ShellFolder::kWindows, "C:\\Windows");
        shell.Set(ShellFolder::kDesktop, "C:\\Users\\bob\\Desktop");
        shell.Set(ShellFolder::kDocuments, "C:\\Users\\bob\\Documents");
        shell.Set(ShellFolder::kCommonDocuments, "C:\\Users\\Public\\Documents");
        shell.Set(ShellFolder::kTemporary, "C:\\Users\\bob\\AppData\\Local\\Temp\\");
        shell.Set(ShellFolder::kInternetCache, "C:\\Users\\bob\\AppData\\Local\\Microsoft\\Windows\\INetCache");
    }
    void Run(const BackupChoices& choices) {
        StopSource never;
        JobControl control(SystemClock(), never.Token(), nullptr);
        RunFileBackup(control, context, choices, ports, reporter, log);
    }
    Json::Value Setting() {
        Json::Value root;
        EXPECT_TRUE(Json::Reader().parse(machine.ReadFile("D:\\Quenbrook\\Data\\SETTING.JSON"), root));
        return root;
    }

    test::MachineFixture machine{test::MachineJson("one-disk-c-d")};
    AppContext context;
    fake::FakeShellFolders shell;
    fake::FakeRegistry registry;
    BackupPorts ports{machine.files(), shell, registry};
    test::RecordingReporter reporter;
    test::RecordingLog log;
};

TEST_F(BackupThreadTest, TheDesktopWholeAndTheCategoriesFromTheRestOfTheDrive) {
    machine.WriteFile("C:\\Users\\bob\\Desktop\\photo.jpg", "on the desktop");
    machine.WriteFile("C:\\Users\\bob\\Desktop\\plan.xlsx", "plan");
    machine.WriteFile("C:\\Users\\bob\\Pictures\\p.jpg", "picture");
    machine.WriteFile("C:\\Users\\bob\\Music\\m.mp3", "music, not chosen");
    machine.WriteFile("C:\\Users\\bob\\AppData\\Local\\Temp\\t.jpg", "temporary");
    machine.WriteFile("C:\\Users\\bob\\AppData\\Local\\Microsoft\\Windows\\INetCache\\c.jpg", "cached");
    machine.WriteFile("C:\\Users\\bob\\AppData\\Roaming\\kept.jpg", "application data");
    machine.WriteFile("C:\\Program Files (x86)\\app\\icon.png", "64-bit Windows: excluded");
    machine.WriteFile("C:\\Windows\\Web\\w.jpg", "windows");
    BackupChoices choices;
    choices.desktop = true;
    choices.pictures = true;
    Run(choices);
    EXPECT_EQ(FilesUnder(machine, kBackupRoot), (std::set<std::string>{"desktop\\photo.jpg", "desktop\\plan.xlsx",
                                                                       "照片\\p.jpg", "照片\\kept.jpg"}));
    const std::vector<std::string> events = reporter.Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), "done");
    EXPECT_EQ(reporter.Events("error "), std::vector<std::string>{});
    EXPECT_EQ(Setting()["QQLogFolder"].asString(), "") << "untouched without the QQ option";
}

TEST_F(BackupThreadTest, NothingChosenLeavesOnlyTheBackupRoot) {
    machine.WriteFile("C:\\Users\\bob\\Pictures\\p.jpg", "picture");
    Run({});
    EXPECT_TRUE(machine.Exists(kBackupRoot));
    EXPECT_EQ(FilesUnder(machine, kBackupRoot), std::set<std::string>{});
    EXPECT_EQ(reporter.Events(), std::vector<std::string>{"done"});
}

TEST_F(BackupThreadTest, TheUsersFoldersInReverseOrderAfterTheDesktop) {
    machine.WriteFile("C:\\Users\\bob\\Desktop\\d.txt", "d");
    machine.WriteFile("C:\\work\\w.txt", "w");
    machine.WriteFile("C:\\games\\saves\\s.txt", "s");
    BackupChoices choices;
    choices.desktop = true;
    choices.folders = {"C:\\work", "C:\\games\\saves", "C:\\work"};
    Run(choices);
    EXPECT_EQ(reporter.Events(), (std::vector<std::string>{"status C:\\work\\w.txt", "status C:\\games\\saves\\s.txt",
                                                          "status C:\\work\\w.txt",
                                                          "status C:\\Users\\bob\\Desktop\\d.txt", "done"}));
}

TEST_F(BackupThreadTest, TheQqFolderFromItsSettingsOrTheRegistry) {
    struct Case {
        const char* name;
        const char* ini;        // UserDataInfo.ini; nullptr: none
        int registry;           // 0 no key, 1 key without "Install", 2 "Install" = C:\Program Files\Tencent\QQ
        bool chosen;
        std::set<std::string> copied;
        const char* logFolder;  // QQLogFolder afterwards
    };
    const std::string qqFiles = "C:\\Program Files\\Tencent\\QQ\\Users\\12345\\Msg3.0.db";
    const Case cases[] = {
        {"type 0 with Install", nullptr, 2, true, {"users\\12345\\Msg3.0.db"}, "Users"},
        {"type 0 key without Install", nullptr, 1, true, {}, "Users"},
        {"type 0 without a key", nullptr, 0, true, {}, "old"},
        {"type 1", "[UserDataSet]\r\nUserDataSavePathType=1\r\n", 2, true, {"tencent files\\12345\\Msg3.0.db"},
         "Tencent Files"},
        {"a path of its own", "[UserDataSet]\r\nUserDataSavePath=C:\\QQ Chats\\\r\n", 2, true,
         {"qq chats\\12345\\Msg3.0.db"}, "QQ Chats"},
        {"a path in the workspace", "[UserDataSet]\r\nUserDataSavePath=d:\\quenbrook\\data\\QQ\r\n", 2, true, {},
         "old"},
        {"type 2", "[UserDataSet]\r\nUserDataSavePathType=2\r\n", 2, true, {}, "old"},
        {"not chosen", nullptr, 2, false, {}, "old"},
    };
    for (const Case& c : cases) {
        test::MachineFixture fresh(test::MachineJson("one-disk-c-d"));
        AppContext freshContext;
        ASSERT_TRUE(freshContext.Initialise(fresh.storage(), fresh.system(), fresh.files(), fresh.folders()));
        freshContext.SetQqFolder("old");
        fake::FakeRegistry qqRegistry;
        if (c.registry == 1) qqRegistry.AddKey(RegistryRoot::kLocalMachine, kQqRegistryKey);
        if (c.registry == 2) {
            qqRegistry.SetString(RegistryRoot::kLocalMachine, kQqRegistryKey, "Install",
                                 "C:\\Program Files\\Tencent\\QQ\\");
        }
        if (c.ini) fresh.WriteFile("C:\\Users\\Public\\Documents\\Tencent\\QQ\\UserDataInfo.ini", c.ini);
        fresh.WriteFile(qqFiles, "chat");
        fresh.WriteFile("C:\\Users\\bob\\Documents\\Tencent Files\\12345\\Msg3.0.db", "chat");
        fresh.WriteFile("C:\\QQ Chats\\12345\\Msg3.0.db", "chat");
        fresh.WriteFile("D:\\Quenbrook\\Data\\QQ\\12345\\Msg3.0.db", "chat");
        BackupChoices choices;
        choices.qqChatLog = c.chosen;
        BackupPorts qqPorts{fresh.files(), shell, qqRegistry};
        StopSource never;
        JobControl control(SystemClock(), never.Token(), nullptr);
        test::RecordingReporter qqReporter;
        RunFileBackup(control, freshContext, choices, qqPorts, qqReporter, log);
        EXPECT_EQ(FilesUnder(fresh, kBackupRoot), c.copied) << c.name;
        Json::Value setting;
        ASSERT_TRUE(Json::Reader().parse(fresh.ReadFile("D:\\Quenbrook\\Data\\SETTING.JSON"), setting));
        EXPECT_EQ(setting["QQLogFolder"].asString(), c.logFolder) << c.name;
    }
}

TEST_F(BackupThreadTest, ALocalImageMovesIntoTheWorkspaceFolder) {
    machine.WriteFile("C:\\images\\win7.iso", "image");
    context.SetLocalImage("C:\\images\\win7.iso");
    Run({});
    EXPECT_EQ(machine.ReadFile("D:\\Quenbrook\\Data\\win7.iso"), "image");
    EXPECT_EQ(Setting()["strImagePath"].asString(), "win7.iso");
    EXPECT_TRUE(Setting()["bLocalImage"].asBool());
    EXPECT_EQ(reporter.Events(), (std::vector<std::string>{std::string("status ") + kImageTransferText, "done"}));
}

TEST_F(BackupThreadTest, ALocalImageAlreadyInTheWorkspaceIsOnlyRenamedInTheSettings) {
    machine.WriteFile("D:\\Quenbrook\\Data\\win10.gho", "image");
    context.SetLocalImage("D:\\Quenbrook\\Data\\win10.gho");
    Run({});
    EXPECT_EQ(Setting()["strImagePath"].asString(), "win10.gho");
    EXPECT_EQ(reporter.Events(), std::vector<std::string>{"done"});
}

TEST_F(BackupThreadTest, AnImageThatCannotBeCopiedIsReported) {
    machine.MakeFolders("C:\\images");
    context.SetLocalImage("C:\\images\\gone.iso");
    Run({});
    EXPECT_EQ(reporter.Events(), (std::vector<std::string>{std::string("status ") + kImageTransferText,
                                                          "error C:\\images\\gone.iso 2", "done"}));
    EXPECT_EQ(Setting()["strImagePath"].asString(), "gone.iso");
    EXPECT_TRUE(log.Holds("copy file C:\\images\\gone.iso"));
}

TEST_F(BackupThreadTest, AsAJobItEndsWithDoneOnce) {
    machine.WriteFile("C:\\Users\\bob\\Desktop\\d.txt", "d");
    FileBackupJob job(context, ports, reporter, log);
    BackupChoices choices;
    choices.desktop = true;
    ASSERT_TRUE(job.Start(choices));
    EXPECT_FALSE(job.Start(choices));
    ASSERT_TRUE(reporter.WaitForDone());
    job.job().Join();
    EXPECT_EQ(reporter.Events(), (std::vector<std::string>{"status C:\\Users\\bob\\Desktop\\d.txt", "done"}));
    EXPECT_EQ(machine.ReadFile(std::string(kBackupRoot) + "\\desktop\\d.txt"), "d");
}

TEST(BackupExclusions, NormalModeSixtyFourAndThirtyTwoBitAndPeMode) {
    fake::FakeShellFolders shell;
    shell.Set(ShellFolder::kWindows, "C:\\WINDOWS");
    shell.Set(ShellFolder::kTemporary, "C:\\Users\\bob\\AppData\\Local\\Temp\\");
    shell.Set(ShellFolder::kInternetCache, "C:\\Users\\bob\\AppData\\Local\\Microsoft\\Windows\\INetCache");
    test::MachineFixture machine(test::MachineJson("one-disk-c-d"));
    test::RecordingLog log;
    const std::vector<std::string> common = {"System Volume Information", "Recovery", "Boot", "$Recycle.Bin",
                                             "ProgramData"};
    auto expected = [&](std::vector<std::string> head, char letter, std::vector<std::string> tail) {
        for (const std::string& name : common) head.push_back(std::string(1, letter) + ":\\" + name);
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    const std::vector<std::string> temporaries = {"C:\\Users\\bob\\AppData\\Local\\Temp",
                                                  "C:\\Users\\bob\\AppData\\Local\\Microsoft\\Windows\\INetCache"};
    EXPECT_EQ(BackupExclusions(machine.files(), shell, {'C', false, true}, log),
              expected({"C:\\WINDOWS", "C:\\Program Files", "C:\\Program Files (x86)"}, 'C', temporaries));
    EXPECT_EQ(BackupExclusions(machine.files(), shell, {'C', false, false}, log),
              expected({"C:\\WINDOWS", "C:\\Program Files"}, 'C', temporaries));
    EXPECT_EQ(BackupExclusions(machine.files(), shell, {'D', true, true}, log),
              expected({"D:\\Windows", "D:\\Program Files", "D:\\Program Files (x86)"}, 'D', {}))
        << "the installed Windows on D:, nothing of the environment's own";
}

TEST(BackupThreadPeMode, WalksTheInstalledWindowsDrive) {
    test::MachineFixture machine(test::MachineJson("pe-win7-x64"));
    test::PeImageOptions v;
    machine.WriteFile("D:\\Windows\\SysWOW64\\ntdll.dll", test::AsString(test::BuildPeImage(v)));
    v.pe32Plus = true;
    machine.WriteFile("D:\\Windows\\System32\\ntdll.dll", test::AsString(test::BuildPeImage(v)));
    machine.AddDrive('X');
    AppContext context;
    ASSERT_TRUE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()));
    ASSERT_TRUE(context.IsPeMode());
    ASSERT_EQ(context.SystemLetter(), 'D');
    const std::string workspace = context.WorkspacePath();
    ASSERT_FALSE(workspace.empty());
    machine.WriteFile("D:\\Windows\\Web\\w.jpg", "windows");
    machine.WriteFile("D:\\Program Files (x86)\\a.jpg", "program");
    machine.WriteFile("D:\\Users\\bob\\AppData\\Local\\Temp\\t.jpg", "not excluded here");
    machine.WriteFile("D:\\Users\\bob\\Pictures\\p.jpg", "picture");
    fake::FakeShellFolders shell;  // the environment's own folders are X:'s, and none is asked for
    fake::FakeRegistry registry;
    BackupPorts ports{machine.files(), shell, registry};
    test::RecordingReporter reporter;
    test::RecordingLog log;
    BackupChoices choices;
    choices.pictures = true;
    StopSource never;
    JobControl control(SystemClock(), never.Token(), nullptr);
    RunFileBackup(control, context, choices, ports, reporter, log);
    EXPECT_EQ(FilesUnder(machine, workspace + kBackupFolderName), (std::set<std::string>{"照片\\p.jpg", "照片\\t.jpg"}));
}

}  // namespace
}  // namespace qnb
