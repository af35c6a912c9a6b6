#include "filebackup/backup_error_file.h"

#include "filebackup/test_support/backup_fixture.h"
#include "platform/fake/memory_file_system.h"

#include <gtest/gtest.h>

namespace qnb {
namespace {

TEST(BackupErrorFile, LinesInGbkWithCrLf) {
    struct Case {
        const char* path;
        uint32_t code;
        std::string bytes;
    };
    const Case cases[] = {
        {"C:\\Users\\me\\Desktop\\a.doc", 32, "C:\\Users\\me\\Desktop\\a.doc    \xB4\xED\xCE\xF3\xB4\xFA\xC2\xEB:32\r\n"},
        {"C:\\照片\\b.jpg", 5, "C:\\\xD5\xD5\xC6\xAC\\b.jpg    \xB4\xED\xCE\xF3\xB4\xFA\xC2\xEB:5\r\n"},
        {"C:\\한\\c.txt", 0x80070020, "C:\\?\\c.txt    \xB4\xED\xCE\xF3\xB4\xFA\xC2\xEB:-2147024864\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(BackupErrorLine(c.path, c.code), c.bytes) << c.path;
}

TEST(BackupErrorFile, LiesInTheRootOfTheWorkspaceDriveAndKeepsEarlierLines) {
    EXPECT_EQ(BackupErrorFilePath("E:\\Quenbrook\\Data\\"), "E:\\backup_error.txt");
    EXPECT_EQ(BackupErrorFilePath(""), "");
    fake::MemoryFileSystem files("CD");
    files.AddFile("D:\\backup_error.txt", "an earlier run\r\n");
    test::RecordingLog log;
    ASSERT_TRUE(AppendBackupError(files, "D:\\Quenbrook\\Data\\", "C:\\a.txt", 32, log));
    ASSERT_TRUE(AppendBackupError(files, "D:\\Quenbrook\\Data\\", "C:\\b.txt", 5, log));
    EXPECT_EQ(files.Content("D:\\backup_error.txt"),
              "an earlier run\r\n" + BackupErrorLine("C:\\a.txt", 32) + BackupErrorLine("C:\\b.txt", 5));

    fake::MemoryFileSystem noDrive("C");
    EXPECT_FALSE(AppendBackupError(noDrive, "D:\\Quenbrook\\Data\\", "C:\\a.txt", 32, log));
    EXPECT_TRUE(log.Holds("append to file D:\\backup_error.txt")) << "a line that cannot be written is logged";
}

}  // namespace
}  // namespace qnb
