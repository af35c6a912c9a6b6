// The twins' own rules, beyond the file system contract they share with
// the Windows adapter.
#include "platform/error_codes.h"
#include "platform/fake/memory_file_system.h"

#include <gtest/gtest.h>

#include <set>

namespace qnb::fake {
namespace {

std::set<std::string> Names(FileSystem& files, const std::string& folder) {
    std::set<std::string> names;
    for (const DirectoryEntry& e : files.list(folder)) names.insert(e.name);
    return names;
}

TEST(MemoryFileSystem, PathsAsWindowsReadsThem) {
    MemoryFileSystem files("C");
    files.AddFile("C:\\Data\\Report.TXT", "r");
    const char* same[] = {"c:\\data\\report.txt", "C:/Data/Report.TXT", "C:\\\\Data\\\\Report.TXT"};
    for (const char* path : same) EXPECT_EQ(files.readFile(path), "r") << path;
    EXPECT_TRUE(files.IsFolder("C:\\DATA\\"));
    EXPECT_EQ(Names(files, "c:\\data"), (std::set<std::string>{".", "..", "Report.TXT"})) << "names keep their case";
    EXPECT_EQ(Names(files, "C:\\"), (std::set<std::string>{"Data"})) << "a drive lists no dot entries";
    EXPECT_EQ(files.makeDirectory("C:\\").failure().code, errors::kAccessDenied);
    EXPECT_EQ(files.makeDirectory("E:\\x").failure().code, errors::kPathNotFound) << "no such drive";
}

TEST(MemoryFileSystem, MarkedEntriesShowTheirAttributes) {
    MemoryFileSystem files("C");
    files.AddFolders("C:\\Documents and Settings");
    files.SetAttributes("C:\\Documents and Settings",
                        kFileAttributeDirectory | kFileAttributeReparsePoint);
    for (const DirectoryEntry& e : files.list("C:\\")) {
        EXPECT_EQ(e.attributes, kFileAttributeDirectory | kFileAttributeReparsePoint);
    }
    EXPECT_EQ(files.facts("C:\\Documents and Settings")->attributes, kFileAttributeDirectory | kFileAttributeReparsePoint);

    files.AddFile("C:\\locked.txt", "keep");
    files.SetAttributes("C:\\locked.txt", kFileAttributeReadOnly);
    EXPECT_TRUE(files.access("C:\\locked.txt", FileSystem::kRead));
    EXPECT_FALSE(files.access("C:\\locked.txt", FileSystem::kWrite));
    EXPECT_FALSE(files.writeFile("C:\\locked.txt", "x"));
    EXPECT_FALSE(files.deleteFile("C:\\locked.txt"));
    EXPECT_EQ(files.appendFile("C:\\locked.txt", "x").failure().code, errors::kAccessDenied);
    EXPECT_EQ(files.Content("C:\\locked.txt"), "keep");
}

TEST(MemoryFileSystem, CopiesReportEachPieceAndTimesFollowTheClock) {
    MemoryFileSystem files("C");
    files.SetNow(130000000000000000);
    files.AddFile("C:\\s", std::string(2 * MemoryFileSystem::kCopyPiece + 5, 'x'));
    files.SetNow(140000000000000000);
    std::vector<uint64_t> done;
    CopyProgress progress = [&](uint64_t d, uint64_t) {
        done.push_back(d);
        return true;
    };
    ASSERT_TRUE(files.copyFile("C:\\s", "C:\\t", progress, false));
    const uint64_t piece = MemoryFileSystem::kCopyPiece;
    EXPECT_EQ(done, (std::vector<uint64_t>{0, piece, 2 * piece, 2 * piece + 5}));
    EXPECT_EQ(files.facts("C:\\t")->lastWriteTime, 130000000000000000u);
    EXPECT_EQ(files.facts("C:\\t")->creationTime, 140000000000000000u);
    ASSERT_TRUE(files.appendFile("C:\\s", "y"));
    EXPECT_EQ(files.facts("C:\\s")->lastWriteTime, 140000000000000000u);
}

TEST(MemoryFileSystem, AFolderMovesWithEverythingInIt) {
    MemoryFileSystem files("C");
    files.AddFile("C:\\a\\b\\c.txt", "c");
    files.AddFile("C:\\ab.txt", "not inside");
    EXPECT_EQ(files.moveFile("C:\\a", "C:\\a\\b\\x", false).failure().code, errors::kAccessDenied)
        << "not into itself";
    ASSERT_TRUE(files.moveFile("C:\\a", "C:\\z", false));
    EXPECT_EQ(files.Content("C:\\z\\b\\c.txt"), "c");
    EXPECT_EQ(files.Content("C:\\ab.txt"), "not inside");
    EXPECT_FALSE(files.IsFolder("C:\\a\\b"));
    ASSERT_TRUE(files.moveFile("C:\\z", "C:\\Z", false)) << "a change of case only";
    EXPECT_EQ(Names(files, "C:\\"), (std::set<std::string>{"Z", "ab.txt"}));
}

}  // namespace
}  // namespace qnb::fake
