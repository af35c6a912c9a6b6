#include "ui/main_logic.h"

#include <gtest/gtest.h>

namespace qnb::ui {
namespace {

TEST(ModeSwitch, FirstOfBackupReinstallRestoreWins) {
    struct Case {
        const char* commandLine;
        std::optional<MainAction> action;
    } cases[] = {
        {"X:\\QNBReinstaller.exe /reinstall", MainAction::kReinstall},
        {"\"X:\\a b\\QNBReinstaller.exe\" /restore /backup", MainAction::kBackup},
        {"QNBReinstaller.exe /restore", MainAction::kRestore},
        {"QNBReinstaller.exe/reinstall/restore", MainAction::kReinstall},
        {"QNBReinstaller.exe /Backup", std::nullopt},
        {"QNBReinstaller.exe", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(FindModeSwitch(c.commandLine), c.action) << c.commandLine;
    EXPECT_EQ(Info(MainAction::kReinstall).exStyle, 0x00040108u);
    EXPECT_EQ(Info(MainAction::kBackup).exStyle, 0x00040100u);
    EXPECT_EQ(Info(MainAction::kRestore).usageEvent, 5);
}

TEST(UpdatePrompt, OnlyAnAnsweredNewerVersionChangesAnything) {
    UpdateInfo newer{true, false, "", "http://dl.tessaly.example/setup.exe", "2.1.0"};
    UpdatePrompt shown = DecideUpdatePrompt(1, newer);
    EXPECT_TRUE(shown.show);
    EXPECT_FALSE(shown.ask) << "must false: labels and button only";
    EXPECT_EQ(shown.newVersionText, "最新版本：2.1.0");
    EXPECT_EQ(shown.url, newer.url);

    UpdateInfo must = newer;
    must.must = true;
    EXPECT_TRUE(DecideUpdatePrompt(1, must).ask);

    EXPECT_FALSE(DecideUpdatePrompt(0, must).show) << "no answer yet";
    EXPECT_FALSE(DecideUpdatePrompt(-1, must).show) << "an answer that did not parse";
    UpdateInfo same{false, true, "", "http://x.example/", "2.0.0"};
    EXPECT_FALSE(DecideUpdatePrompt(1, same).show) << "no newer version";

    UpdateInfo program = must;
    program.url = "C:\\Windows\\System32\\cmd.exe";
    UpdatePrompt unsafe = DecideUpdatePrompt(1, program);
    EXPECT_TRUE(unsafe.show);
    EXPECT_EQ(unsafe.url, "") << "an address that is not a web page is never opened";
}

TEST(UpdatePrompt, WebAddresses) {
    for (const char* good : {"http://a.example/x?y=1", "HTTPS://a.example/"}) EXPECT_TRUE(IsWebAddress(good)) << good;
    for (const char* bad : {"", "http://", "file:///C:/x.exe", "calc.exe", "\\\\server\\share\\x.exe",
                            "http://a.example/\" /c del", "http://a.example/\nx", "javascript:alert(1)"}) {
        EXPECT_FALSE(IsWebAddress(bad)) << bad;
    }
}

TEST(MainTexts, FilledIn) {
    EXPECT_EQ(NotReadyText(), "程序初始化失败,请确保除系统分区外存在其他可用空间大于10GB的分区！");
    EXPECT_EQ(NotInThisBuildText(MainAction::kRestore), "此版本尚未包含系统还原功能，敬请期待新版本。");
    EXPECT_EQ(SiteLink("www.tessaly.example", "/jiaocheng/?src=reinstall_client"),
              "http://www.tessaly.example/jiaocheng/?src=reinstall_client");
    EXPECT_TRUE(WorkspaceOnSystemDrive("C:\\Quenbrook\\Data\\", 'C'));
    EXPECT_TRUE(WorkspaceOnSystemDrive("c:\\Quenbrook\\Data\\", 'C'));
    EXPECT_FALSE(WorkspaceOnSystemDrive("D:\\Quenbrook\\Data\\", 'C'));
    EXPECT_FALSE(WorkspaceOnSystemDrive("", 'C'));
}

}  // namespace
}  // namespace qnb::ui
