#include "platform/folder_tree.h"

#include "platform/error_codes.h"
#include "platform/fake/memory_file_system.h"
#include "platform/posix/host_file_system.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <set>
#include <vector>

namespace qnb {
namespace {

// Drives C: and D: in a fresh host folder.
class HostDrives {
public:
    HostDrives() {
        std::filesystem::create_directories(root_ + "/C");
        std::filesystem::create_directories(root_ + "/D");
    }
    ~HostDrives() { std::filesystem::remove_all(root_); }
    HostFileSystem& files() { return files_; }

private:
    static std::string MakeRoot() {
        char pattern[] = "/tmp/qnb-tree-XXXXXX";
        return ::mkdtemp(pattern);
    }
    std::string root_ = MakeRoot();
    HostFileSystem files_{root_};
};

bool IsFolder(FileSystem& files, const std::string& path) {
    auto facts = files.facts(path);
    return facts && (facts->attributes & kFileAttributeDirectory);
}

void MakesEveryMissingParent(FileSystem& files) {
    EXPECT_TRUE(CreateFolderTree(files, "D:\\a\\b\\c\\"));
    EXPECT_TRUE(IsFolder(files, "D:\\a\\b\\c"));
    EXPECT_TRUE(CreateFolderTree(files, "D:\\a\\b\\c")) << "an existing folder succeeds at once";
    EXPECT_TRUE(CreateFolderTree(files, "D:\\x\\\\y"));
    EXPECT_TRUE(IsFolder(files, "D:\\x\\y"));
    EXPECT_TRUE(CreateFolderTree(files, "D:/p/q/"));
    EXPECT_TRUE(IsFolder(files, "D:\\p\\q"));
    EXPECT_FALSE(CreateFolderTree(files, ""));
    Status noDrive = CreateFolderTree(files, "M:\\no\\such\\drive");
    ASSERT_FALSE(noDrive);
    EXPECT_EQ(noDrive.failure().code, errors::kPathNotFound);
    EXPECT_EQ(noDrive.failure().where, "M:\\no");

    // A file in the way: the step that meets it fails, with its code.
    ASSERT_TRUE(files.writeFile("D:\\a\\file", "x"));
    Status blocked = CreateFolderTree(files, "D:\\a\\file\\deeper");
    ASSERT_FALSE(blocked);
    EXPECT_EQ(blocked.failure().code, errors::kAlreadyExists);
    EXPECT_EQ(blocked.failure().where, "D:\\a\\file");
}

TEST(CreateFolderTree, MakesEveryMissingParentOnTheHost) {
    HostDrives drives;
    MakesEveryMissingParent(drives.files());
}

TEST(CreateFolderTree, MakesEveryMissingParentInMemory) {
    fake::MemoryFileSystem files("CD");
    MakesEveryMissingParent(files);
}

// Remembers the folders asked for; refuses one; or finds each one made by
// someone else just before (the answer of a lost race).
class WatchedFiles : public fake::MemoryFileSystem {
public:
    WatchedFiles() : MemoryFileSystem("CD") {}
    Status makeDirectory(const std::string& path) override {
        asked.push_back(path);
        if (path == refused) return Failure{"create folder", path, errors::kAccessDenied};
        Status made = MemoryFileSystem::makeDirectory(path);
        if (made && othersWin) return Failure{"create folder", path, errors::kAlreadyExists};
        return made;
    }
    std::vector<std::string> asked;
    std::string refused;
    bool othersWin = false;
};

TEST(CreateFolderTree, MakesTheFoldersFromTheRootDownAndStopsAtARefusal) {
    WatchedFiles files;
    files.AddFolders("D:\\a");
    files.refused = "D:\\a\\b\\c";
    Status status = CreateFolderTree(files, "D:\\a\\b\\c\\d");
    ASSERT_FALSE(status);
    EXPECT_EQ(status.failure().code, errors::kAccessDenied);
    EXPECT_EQ(status.failure().where, "D:\\a\\b\\c");
    EXPECT_EQ(files.asked, (std::vector<std::string>{"D:\\a\\b", "D:\\a\\b\\c"}));
    EXPECT_TRUE(files.IsFolder("D:\\a\\b")) << "what was made before stays";
}

TEST(CreateFolderTree, AFolderMadeMeanwhileBySomeoneElseCounts) {
    WatchedFiles files;
    files.othersWin = true;
    EXPECT_TRUE(CreateFolderTree(files, "C:\\x\\y"));
    EXPECT_TRUE(files.IsFolder("C:\\x\\y"));
}

TEST(CreateFolderTree, NeverTriesToMakeARootOrAShare) {
    struct Case {
        const char* path;
        const char* firstAsked;
    };
    const Case cases[] = {
        {"D:\\x\\y", "D:\\x"},
        {"D:x", "D:x"},
        {"\\\\server\\share\\x\\y", "\\\\server\\share\\x"},
        {"//server/share/x", "//server/share/x"},
        {"\\\\?\\D:\\x\\y", "\\\\?\\D:\\x"},
        {"\\\\?\\UNC\\server\\share\\x", "\\\\?\\UNC\\server\\share\\x"},
        {"\\top\\x", "\\top"},
        {"relative\\x", "relative"},
    };
    for (const Case& c : cases) {
        WatchedFiles files;
        (void)CreateFolderTree(files, c.path);
        ASSERT_FALSE(files.asked.empty()) << c.path;
        EXPECT_EQ(files.asked.front(), c.firstAsked) << c.path;
    }
}

}  // namespace
}  // namespace qnb
