#include "installer/bcdedit_rows.h"

#include <gtest/gtest.h>

#include <set>

namespace qnb::installer {
namespace {

std::vector<int> Numbers(const std::vector<BcdeditRow>& rows) {
    std::vector<int> numbers;
    for (const BcdeditRow& r : rows) numbers.push_back(r.number);
    return numbers;
}

TEST(BcdeditRows, TheReinstallSequenceOnAGptDiskWordForWord) {
    const std::string id = "{f608441b-6975-4520-acb1-cda95d61e991}";
    std::vector<std::string> expected = {
        "/delete " + id + " /cleanup",
        "/create {ramdiskoptions}",
        "/set {ramdiskoptions} ramdisksdidevice boot",
        "/set {ramdiskoptions} ramdisksdidevice partition=C:",
        "/set {ramdiskoptions} ramdisksdipath \\QNBPE\\boot\\boot.sdi ",
        "/create " + id + " /d \"TessalyPE\" /application OSLOADER",
        "/set " + id + " device ramdisk=[C:]\\QNBPE\\boot\\boot.wim,{ramdiskoptions}",
        "/set " + id + " osdevice ramdisk=[C:]\\QNBPE\\boot\\boot.wim,{ramdiskoptions}",
        "/set " + id + " path \\windows\\system32\\boot\\winload.efi",
        "/set " + id + " systemroot \\windows",
        "/set " + id + " detecthal yes",
        "/set " + id + " winpe yes",
        "/displayorder " + id + " /addfirst",
        "/timeout 3",
        "/export C:\\QNBPE\\boot\\BCD_backup",
        "/timeout 3",
        "/default " + id,
        "/set {bootmgr} displaybootmenu yes",
    };
    std::vector<std::string> arguments;
    for (const BcdeditRow& r : BcdeditRows(PeInstallMode::kReinstall, 'C', true, false)) arguments.push_back(r.arguments);
    EXPECT_EQ(arguments, expected);
}

TEST(BcdeditRows, RowsByModeDiskStyleAndEarlierExport) {
    struct Case {
        PeInstallMode mode;
        char letter;
        bool gpt, backupExists;
        std::vector<int> rows;
        const char* loader;
    } cases[] = {
        {PeInstallMode::kReinstall, 'C', true, false, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18},
         "winload.efi"},
        {PeInstallMode::kReinstall, 'C', false, true, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 18},
         "winload.exe"},
        {PeInstallMode::kRestore, 'D', false, false, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 17},
         "winload.exe"},
        {PeInstallMode::kBackup, 'E', true, true, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17}, "winload.efi"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ModeOf(c.mode).name);
        std::vector<BcdeditRow> rows = BcdeditRows(c.mode, c.letter, c.gpt, c.backupExists);
        EXPECT_EQ(Numbers(rows), c.rows);
        const std::string drive(1, c.letter);
        EXPECT_EQ(rows[3].arguments, "/set {ramdiskoptions} ramdisksdidevice partition=" + drive + ":");
        EXPECT_NE(rows[6].arguments.find("ramdisk=[" + drive + ":]\\QNBPE\\boot\\boot.wim"), std::string::npos);
        EXPECT_NE(rows[8].arguments.find(c.loader), std::string::npos) << rows[8].arguments;
        for (const BcdeditRow& r : rows) {
            if (r.number == 15) EXPECT_EQ(r.arguments, "/export " + drive + ":\\QNBPE\\boot\\BCD_backup");
        }
    }
}

TEST(BcdeditRows, OnlyTheRowsThatMakeAndPointTheEntryAreChecked) {
    std::set<int> checked;
    for (const BcdeditRow& r : BcdeditRows(PeInstallMode::kReinstall, 'C', false, false)) {
        if (r.checked) checked.insert(r.number);
    }
    EXPECT_EQ(checked, (std::set<int>{6, 7, 8, 9, 10, 12, 13, 17}));
}

}  // namespace
}  // namespace qnb::installer
