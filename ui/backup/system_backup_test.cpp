// Setting.json, byte for byte, and the finishing step's files on
// simulated machines; the texts of the window's first page.
#include "ui/backup/system_backup.h"

#include "app/test_support/memory_machine.h"
#include "platform/text.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <memory>

namespace qnb::ui {
namespace {

TEST(BackupDescription, TheStyledLayoutWithRawAnsiTexts) {
    BackupDescription d;
    d.time = 1462240800;
    d.sysname = "Windows 7";
    d.iswow64 = true;
    d.pic = "1462240800.jpg";
    d.note = "装好了驱动";
    EXPECT_EQ(RenderBackupDescription(d),
              "{\r\n"
              "   \"iswow64\" : true,\r\n"
              "   \"note\" : \"\xD7\xB0\xBA\xC3\xC1\xCB\xC7\xFD\xB6\xAF\",\r\n"
              "   \"pic\" : \"1462240800.jpg\",\r\n"
              "   \"sysname\" : \"Windows 7\",\r\n"
              "   \"time\" : \"1462240800\"\r\n"
              "}\r\n");
}

TEST(BackupDescription, SameLayoutAsJsoncppsStyledWriter) {
    BackupDescription d;
    d.time = 7;
    d.sysname = "Windows XP";
    d.note = "line one\r\nline \"two\"\t\\ end";  // typed with Enter, quotes and a tab
    Json::Value root;
    ASSERT_TRUE(Json::Reader().parse(RenderBackupDescription(d), root));
    EXPECT_EQ(root["note"].asString(), d.note);
    EXPECT_EQ(root["pic"].asString(), "") << "an empty description and no picture are empty texts";
    EXPECT_FALSE(root["iswow64"].asBool());
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    std::string styled = Json::StyledWriter().write(root);
#pragma GCC diagnostic pop
    EXPECT_EQ(RenderBackupDescription(d), text::ToCrLf(styled));
}

TEST(BackupTexts, FirstPage) {
    EXPECT_EQ(BackupTimeText({2016, 5, 3}), "备份时间：2016年05月03日");
    EXPECT_EQ(BackupSystemText("Windows 7", true), "系统信息：Windows 7 64位");
    EXPECT_EQ(BackupSystemText("Windows XP", false), "系统信息：Windows XP 32位");
    EXPECT_EQ(PictureFileName(1462240800), "1462240800.jpg");
}

TEST(BackupTexts, TheHandOverOpensTheEnvironmentsProgramHiddenWithoutWaiting) {
    ProcessRequest request = HandOverRequest();
    EXPECT_EQ(request.program, "X:\\windows\\changeDesk.exe");
    EXPECT_EQ(request.arguments, "");
    EXPECT_TRUE(request.hidden);
    EXPECT_FALSE(request.wait);
}

using Machine = test::MemoryMachine;

bool HasOption(const std::string& setting, int option) {
    return setting.find("\"Option\" : " + std::to_string(option) + ",") != std::string::npos;
}

constexpr char kFolder[] = "D:\\Quenbrook\\Data\\系统备份\\";
constexpr char kSetting[] = "D:\\Quenbrook\\Data\\系统备份\\Setting.json";

TEST(FinishBackup, RecordsTheBackupWithItsPictureThenSetsOption1) {
    Machine m("gpt-uefi");
    const std::string picture = "C:\\Users\\me\\AppData\\Local\\Temp\\1462240800.jpg";
    m.files.AddFile(picture, "JPEG");
    ASSERT_TRUE(WriteBackupDescription(m.files, m.context, picture, "装好了驱动", 1462240801));
    EXPECT_EQ(m.files.Content(std::string(kFolder) + "Picture\\1462240800.jpg"), "JPEG");
    Json::Value root;
    ASSERT_TRUE(Json::Reader().parse(m.files.Content(kSetting).value_or(""), root));
    EXPECT_EQ(root["time"].asString(), "1462240801") << "the time the file is written";
    EXPECT_EQ(root["sysname"].asString(), "Windows 10");
    EXPECT_TRUE(root["iswow64"].asBool());
    EXPECT_EQ(root["pic"].asString(), "1462240800.jpg");
    EXPECT_EQ(text::AnsiToUtf8(root["note"].asString()), "装好了驱动");
    EXPECT_TRUE(HasOption(m.Setting(), 1)) << m.Setting();

    // A later backup's description replaces the earlier one.
    ASSERT_TRUE(WriteBackupDescription(m.files, m.context, "", "", 1462240900));
    ASSERT_TRUE(Json::Reader().parse(m.files.Content(kSetting).value_or(""), root));
    EXPECT_EQ(root["time"].asString(), "1462240900");
    EXPECT_EQ(root["note"].asString(), "");
}

TEST(FinishBackup, WithoutAPictureTheFoldersAreStillMadeAndPicIsEmpty) {
    Machine m("gpt-uefi");
    ASSERT_TRUE(WriteBackupDescription(m.files, m.context, "", "", 1462240800));
    EXPECT_TRUE(m.files.IsFolder(std::string(kFolder) + "Picture"));
    for (const DirectoryEntry& entry : m.files.list(std::string(kFolder) + "Picture")) {
        EXPECT_TRUE(entry.name == "." || entry.name == "..") << entry.name << ": no picture is copied";
    }
    Json::Value root;
    ASSERT_TRUE(Json::Reader().parse(m.files.Content(kSetting).value_or(""), root));
    EXPECT_EQ(root["pic"].asString(), "");
}

TEST(FinishBackup, APictureThatCannotBeCopiedIsNamedAllTheSame) {
    Machine m("gpt-uefi");
    ASSERT_TRUE(WriteBackupDescription(m.files, m.context, "C:\\gone\\1462240800.jpg", "", 1462240800));
    Json::Value root;
    ASSERT_TRUE(Json::Reader().parse(m.files.Content(kSetting).value_or(""), root));
    EXPECT_EQ(root["pic"].asString(), "1462240800.jpg");
    EXPECT_TRUE(HasOption(m.Setting(), 1));
}

TEST(FinishBackup, ADescriptionThatCannotBeWrittenLeavesOptionAsItWas) {
    Machine m("gpt-uefi");
    m.context.SetOption(0);
    m.files.AddFolders(kSetting);  // a folder in the file's place
    EXPECT_FALSE(WriteBackupDescription(m.files, m.context, "", "note", 1462240800));
    EXPECT_TRUE(HasOption(m.Setting(), 0)) << m.Setting();
}

TEST(FinishBackup, WindowsOnTheSystemDriveIsItsNtdll) {
    fake::MemoryFileSystem files("CD");
    EXPECT_FALSE(WindowsOnDrive(files, 'D'));
    files.AddFile("D:\\Windows\\System32\\ntdll.dll", "MZ");
    EXPECT_TRUE(WindowsOnDrive(files, 'D'));
    EXPECT_FALSE(WindowsOnDrive(files, '@')) << "no system letter found";
}

}  // namespace
}  // namespace qnb::ui
