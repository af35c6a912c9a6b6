// The host twin's own rules: where Windows paths live, and symbolic links
// standing for junctions.
#include "platform/posix/host_file_system.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <map>

namespace qnb {
namespace {

TEST(HostFileSystem, WindowsPathsLiveUnderTheDriveRoot) {
    HostFileSystem files("/r");
    struct Case {
        const char* windows;
        const char* host;
    };
    const Case cases[] = {
        {"D:\\a\\b.txt", "/r/D/a/b.txt"},
        {"d:\\a\\", "/r/D/a/"},
        {"/tmp/x\\y", "/tmp/x/y"},
    };
    for (const Case& c : cases) EXPECT_EQ(files.HostPath(c.windows), c.host);
}

// A symbolic link is listed and described as the reparse point it stands
// for, and nothing is read through it.
TEST(HostFileSystem, LinksAreReparsePointsThatAreNotFollowed) {
    char pattern[] = "/tmp/qnb-links-XXXXXX";
    std::string root = ::mkdtemp(pattern);
    std::filesystem::create_directories(root + "/T/real");
    std::filesystem::create_directories(root + "/T/work");
    HostFileSystem files(root);
    ASSERT_TRUE(files.writeFile("T:\\real\\file.txt", "0123456789"));
    ASSERT_EQ(::symlink((root + "/T/real").c_str(), (root + "/T/work/junction").c_str()), 0);
    ASSERT_EQ(::symlink((root + "/T/real/file.txt").c_str(), (root + "/T/work/link.txt").c_str()), 0);
    ASSERT_EQ(::symlink((root + "/T/work").c_str(), (root + "/T/work/loop").c_str()), 0);

    std::map<std::string, DirectoryEntry> entries;
    for (const DirectoryEntry& e : files.list("T:\\work\\")) entries[e.name] = e;
    const uint32_t folderLink = kFileAttributeDirectory | kFileAttributeReparsePoint;
    EXPECT_EQ(entries["junction"].attributes, folderLink);
    EXPECT_EQ(entries["loop"].attributes, folderLink);
    EXPECT_EQ(entries["link.txt"].attributes, kFileAttributeArchive | kFileAttributeReparsePoint);
    EXPECT_EQ(entries["link.txt"].size, 0u) << "the link's size, not its target's";
    for (const char* link : {"junction", "loop", "link.txt"}) EXPECT_TRUE(IsLink(entries[link])) << link;
    EXPECT_FALSE(IsLink(entries["."]));

    Result<FileFacts> facts = files.facts("T:\\work\\junction");
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->attributes, folderLink);
    EXPECT_EQ(files.facts("T:\\work\\link.txt")->size, 0u);
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace qnb
