#include "installer/prepared_start.h"

#include <gtest/gtest.h>

namespace qnb::installer {
namespace {

TEST(PreparedStart, TheRecordReadsBackAsWritten) {
    PreparedStart record{PeInstallMode::kRestore, BootMethod::kBootIni, "2026-12-10 05:20:41.123"};
    std::string bytes = RenderPreparedStart(record);
    EXPECT_EQ(bytes, "{\r\n   \"method\" : \"boot.ini\",\r\n   \"mode\" : \"restore\",\r\n"
                     "   \"time\" : \"2026-12-10 05:20:41.123\"\r\n}\r\n");
    std::optional<PreparedStart> read = ParsePreparedStart(bytes);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->mode, PeInstallMode::kRestore);
    EXPECT_EQ(read->method, BootMethod::kBootIni);
    EXPECT_EQ(read->time, record.time);
}

TEST(PreparedStart, WhatIsNoSuchRecordIsNone) {
    for (const char* bytes : {
             "",
             "[]",
             "{\"mode\": \"reinstall\"}",
             "{\"mode\": \"format\", \"method\": \"bcdedit\"}",
             "{\"mode\": \"reinstall\", \"method\": \"grub\"}",
             "{\"mode\": 0, \"method\": \"bcdedit\"}",
             "{\"mode\": \"reinstall\", \"method\": \"bcdedit\", \"time\": 5}",
             "{\"mode\": \"reinstall\", \"method\": \"bcdedit\", \"time\": \"\\r\\n\"}",
             "{\"mode\": \"reinstall\", \"method\": \"bcdedit\", \"time\": "
             "\"11111111111111111111111111111111111111111111111111111111111111111\"}",
             "{\"mode\": \"reinstall\", \"method\": [[[[[[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]]]]}",
         }) {
        EXPECT_EQ(ParsePreparedStart(bytes).has_value(), false) << bytes;
    }
    EXPECT_TRUE(ParsePreparedStart("{\"mode\": \"backup\", \"method\": \"bcdedit\"}")) << "the time may be missing";
}

TEST(PreparedStart, TheQuestionSaysWhatWillBeUndone) {
    std::string bcdedit = UndoQuestion({PeInstallMode::kReinstall, BootMethod::kBcdedit, "2026-12-10 05:20:41"});
    EXPECT_EQ(bcdedit,
              "已于2026-12-10 05:20 准备好系统重装，下次开机将进入Tessaly预安装环境并开始系统重装。\r\n"
              "取消后将删除启动菜单中的“TessalyPE”启动项，电脑下次开机直接进入当前系统。是否取消？");
    std::string xp = UndoQuestion({PeInstallMode::kBackup, BootMethod::kBootIni, ""});
    EXPECT_EQ(xp,
              "已准备好系统备份，下次开机将进入Tessaly预安装环境并开始系统备份。\r\n"
              "取消后 boot.ini 将恢复为准备之前的内容，电脑下次开机直接进入当前系统。是否取消？");
}

}  // namespace
}  // namespace qnb::installer
