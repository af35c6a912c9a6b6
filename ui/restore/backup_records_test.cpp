// Record.json as the preinstallation environment writes it and as anything
// else may leave it; the list texts in UTC+8 and in another zone; the
// selected backup's view.
#include "ui/restore/backup_records.h"

#include "platform/fake/memory_file_system.h"
#include "platform/text.h"

#include <gtest/gtest.h>

namespace qnb::ui {
namespace {

constexpr int64_t kUtc8 = 8 * 3600;
constexpr char kWorkspace[] = "D:\\Quenbrook\\Data\\";

BackupRecord At(const std::string& time, const std::string& file = "a.wim") {
    return {time, "Windows 7 64位", "", "p.jpg", file};
}

std::vector<std::string> Files(const std::vector<BackupRecord>& records) {
    std::vector<std::string> files;
    for (const BackupRecord& r : records) files.push_back(r.file);
    return files;
}

TEST(BackupRecords, ReadsTheListInOrderWithAnsiTextsAndComments) {
    const std::string bytes = text::Utf8ToAnsi(
        "// written by the environment\n"
        "{ \"list\" : [\n"
        "  { \"time\" : \"1462240800\", \"sys\" : \"Windows 7 旗舰版\", \"note\" : \"装好了驱动\",\n"
        "    \"pic\" : \"1462240800.jpg\", \"file\" : \"1462240800.wim\", \"size\" : 5 },\n"
        "  /* the second */ { \"file\" : \"b.wim\", \"pic\" : \"\", \"note\" : \"\", \"sys\" : \"XP\", \"time\" : \"1\" }\n"
        "], \"count\" : 2 }\n");
    std::vector<BackupRecord> records = ParseBackupRecords(bytes);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].time, "1462240800");
    EXPECT_EQ(records[0].sys, "Windows 7 旗舰版");
    EXPECT_EQ(records[0].note, "装好了驱动");
    EXPECT_EQ(records[0].pic, "1462240800.jpg");
    EXPECT_EQ(records[0].file, "1462240800.wim");
    EXPECT_EQ(records[1].file, "b.wim") << "the keys in any order";
}

TEST(BackupRecords, HostileFilesGiveNoRecordsOrOnlyTheWholeOnes) {
    const std::string good = R"({"time":"1","sys":"s","note":"n","pic":"p","file":"ok.wim"})";
    struct Case {
        std::string bytes;
        std::vector<std::string> files;
    } cases[] = {
        {"", {}},
        {"not json", {}},
        {"[]", {}},
        {"{}", {}},
        {R"({"list": {"0": )" + good + "}}", {}},
        {R"({"list": "x"})", {}},
        {R"({"list": [)" + good + ", 5]", {}},  // cut short
        {std::string(200, '[') + std::string(200, ']'), {}},
        {R"({"list": [ [ [ [ [ [ [ [ [ [ ]]]]]]]]]], "x": )" + std::string(100, '[') + std::string(100, ']') + "}", {}},
        {R"({"list": [5, "x", null, [], {}, )" + good + "]}", {"ok.wim"}},
        {R"({"list": [{"time":1,"sys":"s","note":"n","pic":"p","file":"num.wim"}, )" + good + "]}", {"ok.wim"}},
        {R"({"list": [{"sys":"s","note":"n","pic":"p","file":"no-time.wim"}, )" + good + "]}", {"ok.wim"}},
        {R"({"list": [{"time":"1","sys":"s","note":null,"pic":"p","file":"null.wim"}, )" + good + "]}", {"ok.wim"}},
        {R"({"list": [)" + good + R"(, {"time":"1","sys":"s","note":"n","pic":"p","file":{}}]})", {"ok.wim"}},
        {R"({"list": [)" + good + "," + good + "]}", {"ok.wim", "ok.wim"}},
        {std::string("{\"list\": [") + good + std::string("]}\0garbage", 10), {"ok.wim"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Files(ParseBackupRecords(c.bytes)), c.files) << c.bytes.substr(0, 80);
}

TEST(BackupRecords, SameDayBackupsAreNumberedAgainstThePreviousEntryInUtc8) {
    // 3 May 2016 10:00 and 15:00 and 4 May 09:00 in UTC+8, then 3 May 20:00
    // and 23:30, then 4 May 00:30.
    std::vector<BackupRecord> records = {At("1462240800"), At("1462258800"), At("1462323600"),
                                         At("1462276800"), At("1462289400"), At("1462293000")};
    EXPECT_EQ(BackupRowTexts(records, FixedOffsetDate(kUtc8)),
              (std::vector<std::string>{"2016年05月03日", "2016年05月03日 (1)", "2016年05月04日", "2016年05月03日",
                                        "2016年05月03日 (1)", "2016年05月04日"}));
    // Three in a row count on.
    EXPECT_EQ(BackupRowTexts({At("1462240800"), At("1462258800"), At("1462276800")}, FixedOffsetDate(kUtc8)),
              (std::vector<std::string>{"2016年05月03日", "2016年05月03日 (1)", "2016年05月03日 (2)"}));
}

TEST(BackupRecords, OnAMachineInAnotherZoneTheDatesAreLocalButTheDaysStayUtc8) {
    const LocalDateOf utcMinus5 = FixedOffsetDate(-5 * 3600);
    // 10:00 and 20:00 in UTC+8 are one day there and two dates here: numbered.
    EXPECT_EQ(BackupRowTexts({At("1462240800"), At("1462276800")}, utcMinus5),
              (std::vector<std::string>{"2016年05月02日", "2016年05月03日 (1)"}));
    // 23:30 and 00:30 in UTC+8 are two days there and one date here: not numbered.
    EXPECT_EQ(BackupRowTexts({At("1462289400"), At("1462293000")}, utcMinus5),
              (std::vector<std::string>{"2016年05月03日", "2016年05月03日"}));
}

TEST(BackupRecords, TheFirstEntryIsNeverNumberedAndBadTimesStillHaveADate) {
    EXPECT_EQ(BackupRowTexts({At("0"), At("abc"), At("-1"), At("99999999999999999999")}, FixedOffsetDate(0)),
              (std::vector<std::string>{"1970年01月01日", "1970年01月01日 (1)", "1970年01月01日 (2)",
                                        "3000年12月31日"}));
    EXPECT_EQ(DayNumberUtc8(57599), 0);
    EXPECT_EQ(DayNumberUtc8(57600), 1);
}

TEST(BackupRecords, OnlyPlainFileNamesStayInTheBackupFolder) {
    for (const char* name : {"1462240800.wim", "系统备份 1.wim", "a..b.wim", ".hidden", "CONSOLE.wim", "COM10", "LPT"}) {
        EXPECT_TRUE(IsPlainFileName(name)) << name;
    }
    for (const char* name : {"", ".", "..", "..\\SETTING.JSON", "a\\b.wim", "a/b.wim", "C:\\Windows\\x.wim", "C:x.wim",
                             "x.wim:stream", "x.wim.", "x.wim ", "NUL", "nul.wim", "CON", "Aux.jpg", "com1.wim",
                             "LPT9", "a*.wim", "a?.wim", "tab\t.wim", "\\\\server\\share\\x.wim"}) {
        EXPECT_FALSE(IsPlainFileName(name)) << name;
    }
}

TEST(BackupRecords, ImageSizeTexts) {
    EXPECT_EQ(ImageSizeText(1073741824), "镜像大小：1024.0MB");
    EXPECT_EQ(ImageSizeText(1073741825), "镜像大小：1.0GB");
    EXPECT_EQ(ImageSizeText(5368709120), "镜像大小：5.0GB");
    EXPECT_EQ(ImageSizeText(1), "镜像大小：0.0MB");
    EXPECT_EQ(ImageSizeText(3 * 1048576 + 524288), "镜像大小：3.5MB");
}

TEST(BackupRecords, TheSelectedBackupsViewWithItsImageThereOrMissing) {
    fake::MemoryFileSystem files("CD");
    files.AddFile("D:\\Quenbrook\\Data\\系统备份\\a.wim", std::string(3 * 1048576, 'w'));
    files.AddFile("D:\\Quenbrook\\Data\\系统备份\\empty.wim", "");
    files.AddFolders("D:\\Quenbrook\\Data\\系统备份\\folder.wim");
    files.AddFile("D:\\Quenbrook\\Data\\SETTING.JSON", "{}");
    BackupRecord record{"1462240800", "Windows 7 旗舰版 64位", "装好了驱动", "1462240800.jpg", "a.wim"};

    BackupView view = ViewOfBackup(record, files, kWorkspace);
    EXPECT_TRUE(view.found);
    EXPECT_EQ(view.sizeText, "镜像大小：3.0MB");
    EXPECT_EQ(view.systemText, "系统版本：Windows 7 旗舰版 64位");
    EXPECT_EQ(view.picture, "D:\\Quenbrook\\Data\\系统备份\\Picture\\1462240800.jpg");
    EXPECT_EQ(view.note, "装好了驱动");
    EXPECT_EQ(ImagePathOf(record, kWorkspace), "D:\\Quenbrook\\Data\\系统备份\\a.wim");

    record.pic = "..\\..\\SETTING.JSON";
    EXPECT_EQ(ViewOfBackup(record, files, kWorkspace).picture, "") << "a picture outside the folder is not shown";

    for (const char* missing : {"gone.wim", "empty.wim", "folder.wim", "..\\SETTING.JSON", "D:\\Quenbrook\\Data\\SETTING.JSON"}) {
        record.file = missing;
        view = ViewOfBackup(record, files, kWorkspace);
        EXPECT_FALSE(view.found) << missing;
        EXPECT_EQ(view.sizeText, "镜像大小：?");
        EXPECT_EQ(view.systemText, "系统版本：?");
        EXPECT_EQ(view.picture, "");
        EXPECT_EQ(view.note, "");
    }
    EXPECT_EQ(ImagePathOf(record, kWorkspace), "") << "never a path outside the folder";
}

TEST(BackupRecords, LoadedFromTheWorkspaceUnlessMissingOrTooLarge) {
    fake::MemoryFileSystem files("CD");
    EXPECT_TRUE(LoadBackupRecords(files, kWorkspace).empty());
    const std::string record = R"({"time":"1","sys":"s","note":"n","pic":"p","file":"ok.wim"})";
    files.AddFile("D:\\Quenbrook\\Data\\系统备份\\Record.json", "{\"list\": [" + record + "]}");
    EXPECT_EQ(LoadBackupRecords(files, kWorkspace).size(), 1u);
    std::string large = "{\"list\": [" + record;
    while (large.size() <= kLargestRecordFile) large += "," + record;
    files.AddFile("D:\\Quenbrook\\Data\\系统备份\\Record.json", large + "]}");
    EXPECT_TRUE(LoadBackupRecords(files, kWorkspace).empty()) << "larger than any record file the environment writes";
}

}  // namespace
}  // namespace qnb::ui
