#include "platform/test_support/file_system_contract.h"

#include "platform/error_codes.h"

#include <set>
#include <utility>
#include <vector>

namespace qnb::test {
namespace {

constexpr uint64_t kYear2000 = 125911584000000000;  // 2000-01-01 in FILETIME ticks

uint32_t CodeOf(const Status& status) { return status.ok() ? 0 : status.failure().code; }
template <typename T>
uint32_t CodeOf(const Result<T>& result) {
    return result.ok() ? 0 : result.failure().code;
}

// Bytes that show a piece out of place.
std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    uint32_t x = 12345;
    for (char& c : bytes) {
        x = x * 1103515245 + 12345;
        c = static_cast<char>(x >> 24);
    }
    return bytes;
}

// The folder's names, "." and ".." left out.
std::set<std::string> Names(FileSystem& files, const std::string& folder) {
    std::set<std::string> names;
    for (const DirectoryEntry& e : files.list(folder)) {
        if (e.name != "." && e.name != "..") names.insert(e.name);
    }
    return names;
}

TEST_P(FileSystemContract, AFolderNeedsItsParentAndIsMadeOnce) {
    EXPECT_EQ(CodeOf(files().makeDirectory(At("a\\b"))), errors::kPathNotFound);
    ASSERT_TRUE(files().makeDirectory(At("a")));
    EXPECT_EQ(CodeOf(files().makeDirectory(At("a"))), errors::kAlreadyExists);
    Result<FileFacts> facts = files().facts(At("a"));
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->attributes & (kFileAttributeDirectory | kFileAttributeReparsePoint), kFileAttributeDirectory);
    EXPECT_EQ(facts->size, 0u);
}

TEST_P(FileSystemContract, FactsOfAFileAndOfWhatIsMissing) {
    ASSERT_TRUE(files().writeFile(At("f.bin"), Pattern(70000)));
    Result<FileFacts> facts = files().facts(At("f.bin"));
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->size, 70000u);
    EXPECT_EQ(facts->attributes & (kFileAttributeDirectory | kFileAttributeReparsePoint), 0u);
    EXPECT_GT(facts->lastWriteTime, kYear2000);
    EXPECT_GT(facts->creationTime, kYear2000);
    EXPECT_EQ(CodeOf(files().facts(At("missing"))), errors::kFileNotFound);
    EXPECT_EQ(CodeOf(files().facts(At("missing\\x"))), errors::kPathNotFound);
}

TEST_P(FileSystemContract, AListingGivesNamesSizesAndTimes) {
    ASSERT_TRUE(files().writeFile(At("one.txt"), "12345"));
    ASSERT_TRUE(files().makeDirectory(At("sub")));
    std::set<std::string> names;
    for (const DirectoryEntry& e : files().list(At(""))) {
        names.insert(e.name);
        if (e.name == "one.txt") {
            EXPECT_EQ(e.size, 5u);
            EXPECT_EQ(e.attributes & kFileAttributeDirectory, 0u);
            EXPECT_EQ(e.lastWriteTime, files().facts(At("one.txt"))->lastWriteTime);
        }
        if (e.name == "sub") {
            EXPECT_NE(e.attributes & kFileAttributeDirectory, 0u);
        }
    }
    EXPECT_EQ(names, (std::set<std::string>{".", "..", "one.txt", "sub"}));
    EXPECT_TRUE(files().list(At("missing\\")).empty());
    Result<std::vector<DirectoryEntry>> listed = files().listFolder(At("sub"));
    ASSERT_TRUE(listed);
    EXPECT_EQ(listed->size(), 2u) << "only . and ..";
    EXPECT_EQ(CodeOf(files().listFolder(At("missing"))), errors::kPathNotFound);
    EXPECT_EQ(CodeOf(files().listFolder(At("missing\\deeper\\"))), errors::kPathNotFound);
}

TEST_P(FileSystemContract, ACopyReportsItsProgressToTheEnd) {
    const std::string data = Pattern((3 << 20) + 123);
    ASSERT_TRUE(files().writeFile(At("source"), data));
    std::vector<std::pair<uint64_t, uint64_t>> reports;
    CopyProgress progress = [&](uint64_t done, uint64_t total) {
        reports.emplace_back(done, total);
        return true;
    };
    ASSERT_TRUE(files().copyFile(At("source"), At("target"), progress, false));
    EXPECT_TRUE(files().readFile(At("target")) == data);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), std::make_pair(uint64_t{data.size()}, uint64_t{data.size()}));
    for (size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].second, data.size());
        if (i > 0) {
            EXPECT_GE(reports[i].first, reports[i - 1].first);
        }
    }
    EXPECT_EQ(files().facts(At("target"))->lastWriteTime, files().facts(At("source"))->lastWriteTime)
        << "a copy keeps the time of its source";
    EXPECT_EQ(Names(files(), At("")), (std::set<std::string>{"source", "target"}));
}

TEST_P(FileSystemContract, ACopyKeepsAnExistingTargetUnlessToldToReplaceIt) {
    ASSERT_TRUE(files().writeFile(At("new"), "new"));
    ASSERT_TRUE(files().writeFile(At("old"), "old"));
    EXPECT_EQ(CodeOf(files().copyFile(At("new"), At("old"), nullptr, false)), errors::kFileExists);
    EXPECT_EQ(files().readFile(At("old")), "old");
    ASSERT_TRUE(files().copyFile(At("new"), At("old"), nullptr, true));
    EXPECT_EQ(files().readFile(At("old")), "new");
    EXPECT_EQ(Names(files(), At("")), (std::set<std::string>{"new", "old"}));
}

TEST_P(FileSystemContract, ACancelledCopyLeavesNoPartialTarget) {
    struct Case {
        const char* name;
        bool earlierTarget;
        bool cancelAtOnce;  // else once some bytes are copied
    };
    const Case cases[] = {
        {"at-once", false, true},
        {"midway", false, false},
        {"midway-over-an-earlier-target", true, false},
    };
    const std::string data = Pattern(3 << 20);
    ASSERT_TRUE(files().writeFile(At("source"), data));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.earlierTarget) {
            ASSERT_TRUE(files().writeFile(At(c.name), "earlier"));
        }
        CopyProgress progress = [&](uint64_t done, uint64_t) { return !c.cancelAtOnce && done == 0; };
        EXPECT_EQ(CodeOf(files().copyFile(At("source"), At(c.name), progress, true)), errors::kRequestAborted);
        if (c.earlierTarget) {
            EXPECT_EQ(files().readFile(At(c.name)), "earlier");
        } else {
            EXPECT_FALSE(files().access(At(c.name), FileSystem::kExists));
        }
    }
    EXPECT_EQ(Names(files(), At("")), (std::set<std::string>{"source", "midway-over-an-earlier-target"}))
        << "no temporary file stays";
}

TEST_P(FileSystemContract, ACopyFailsOnWhatIsNoFileOrHasNoFolder) {
    ASSERT_TRUE(files().writeFile(At("file"), "x"));
    ASSERT_TRUE(files().makeDirectory(At("folder")));
    struct Case {
        std::string from, to;
        uint32_t code;
    };
    const Case cases[] = {
        {At("missing"), At("t1"), errors::kFileNotFound},
        {At("folder"), At("t2"), errors::kAccessDenied},
        {At("file"), At("no\\t3"), errors::kPathNotFound},
    };
    for (const Case& c : cases) EXPECT_EQ(CodeOf(files().copyFile(c.from, c.to, nullptr, true)), c.code) << c.from;
    EXPECT_EQ(Names(files(), At("")), (std::set<std::string>{"file", "folder"}));
}

TEST_P(FileSystemContract, AMoveRenamesFilesAndFolders) {
    ASSERT_TRUE(files().writeFile(At("a"), "A"));
    ASSERT_TRUE(files().writeFile(At("b"), "B"));
    EXPECT_EQ(CodeOf(files().moveFile(At("a"), At("b"), false)), errors::kAlreadyExists);
    EXPECT_EQ(files().readFile(At("b")), "B");
    ASSERT_TRUE(files().moveFile(At("a"), At("b"), true));
    EXPECT_EQ(files().readFile(At("b")), "A");
    EXPECT_FALSE(files().access(At("a"), FileSystem::kExists));

    ASSERT_TRUE(files().makeDirectory(At("d")));
    ASSERT_TRUE(files().writeFile(At("d\\inner"), "I"));
    ASSERT_TRUE(files().moveFile(At("d"), At("e"), false));
    EXPECT_EQ(files().readFile(At("e\\inner")), "I");
    EXPECT_FALSE(files().access(At("d"), FileSystem::kExists));
    EXPECT_EQ(CodeOf(files().moveFile(At("missing"), At("f"), false)), errors::kFileNotFound);
}

TEST_P(FileSystemContract, AppendingCreatesTheFileThenAddsToIt) {
    ASSERT_TRUE(files().appendFile(At("log.txt"), "one\n"));
    ASSERT_TRUE(files().appendFile(At("log.txt"), "two\n"));
    EXPECT_EQ(files().readFile(At("log.txt")), "one\ntwo\n");
    EXPECT_EQ(CodeOf(files().appendFile(At("no\\log.txt"), "x")), errors::kPathNotFound);
}

TEST_P(FileSystemContract, TheReadOnlyAttributeIsSetAndCleared) {
    ASSERT_TRUE(files().writeFile(At("boot.ini"), "x"));
    auto readOnly = [&] { return (files().facts(At("boot.ini"))->attributes & kFileAttributeReadOnly) != 0; };
    ASSERT_TRUE(files().setAttributes(At("boot.ini"), kFileAttributeReadOnly | kFileAttributeHidden));
    EXPECT_TRUE(readOnly());
    ASSERT_TRUE(files().setAttributes(At("boot.ini"), kFileAttributeNormal));
    EXPECT_FALSE(readOnly());
    EXPECT_TRUE(files().access(At("boot.ini"), FileSystem::kReadWrite));
    EXPECT_EQ(CodeOf(files().setAttributes(At("missing"), kFileAttributeNormal)), errors::kFileNotFound);
}

TEST_P(FileSystemContract, OnlyAnEmptyFolderIsRemoved) {
    ASSERT_TRUE(files().makeDirectory(At("d")));
    ASSERT_TRUE(files().writeFile(At("d\\f"), "x"));
    EXPECT_EQ(CodeOf(files().removeDirectory(At("d"))), errors::kDirNotEmpty);
    EXPECT_EQ(CodeOf(files().removeDirectory(At("d\\f"))), errors::kDirectory);
    ASSERT_TRUE(files().deleteFile(At("d\\f")));
    EXPECT_TRUE(files().removeDirectory(At("d")));
    EXPECT_EQ(CodeOf(files().facts(At("d"))), errors::kFileNotFound);
    EXPECT_EQ(CodeOf(files().removeDirectory(At("d"))), errors::kFileNotFound);
}

TEST_P(FileSystemContract, AReaderGivesTheWholeFileInPieces) {
    const std::string data = Pattern(100003);
    ASSERT_TRUE(files().writeFile(At("big"), data));
    Result<std::unique_ptr<FileReader>> reader = files().openRead(At("big"));
    ASSERT_TRUE(reader);
    std::string read;
    char buffer[4096];
    while (true) {
        Result<size_t> n = (*reader)->Read(buffer, sizeof buffer);
        ASSERT_TRUE(n);
        if (*n == 0) break;
        read.append(buffer, *n);
    }
    EXPECT_TRUE(read == data);
    EXPECT_EQ(*(*reader)->Read(buffer, sizeof buffer), 0u) << "the end stays the end";

    ASSERT_TRUE(files().makeDirectory(At("folder")));
    EXPECT_EQ(CodeOf(files().openRead(At("missing"))), errors::kFileNotFound);
    EXPECT_EQ(CodeOf(files().openRead(At("folder"))), errors::kAccessDenied);
}

TEST_P(FileSystemContract, TheLongNameOfALongNameIsItself) {
    ASSERT_TRUE(files().writeFile(At("a long file name.text"), "x"));
    Result<std::string> folder = files().longPathName(At(""));
    ASSERT_TRUE(folder);
    EXPECT_EQ(files().longPathName(At("a long file name.text")).value(), *folder + "a long file name.text");
    EXPECT_EQ(CodeOf(files().longPathName(At("missing"))), errors::kFileNotFound);
}

// Beyond MAX_PATH the Windows adapter needs the "\\?\" form; every
// operation must take such a path.
TEST_P(FileSystemContract, PathsLongerThanMaxPathWorkEverywhere) {
    std::string deep = At("");
    std::vector<std::string> folders;
    for (char c = 'a'; deep.size() <= 300; ++c) {
        deep += std::string(40, c) + "长路径\\";
        folders.push_back(deep);
        ASSERT_TRUE(files().makeDirectory(deep)) << deep.size();
    }
    const std::string file = deep + "file.txt", copy = deep + "copy.txt", moved = deep + "moved.txt";
    ASSERT_GT(file.size(), 300u);
    ASSERT_TRUE(files().writeFile(file, "data"));
    ASSERT_TRUE(files().appendFile(file, "+more"));
    EXPECT_EQ(files().readFile(file), "data+more");
    EXPECT_TRUE(files().access(file, FileSystem::kReadWrite));
    EXPECT_EQ(files().facts(file)->size, 9u);
    uint64_t reported = 0;
    CopyProgress progress = [&](uint64_t done, uint64_t) {
        reported = done;
        return true;
    };
    ASSERT_TRUE(files().copyFile(file, copy, progress, false));
    EXPECT_EQ(reported, 9u);
    ASSERT_TRUE(files().moveFile(copy, moved, false));
    EXPECT_EQ(Names(files(), deep), (std::set<std::string>{"file.txt", "moved.txt"}));
    Result<std::unique_ptr<FileReader>> reader = files().openRead(moved);
    ASSERT_TRUE(reader);
    char buffer[16];
    EXPECT_EQ(*(*reader)->Read(buffer, sizeof buffer), 9u);
    reader.value().reset();
    EXPECT_TRUE(files().longPathName(moved));
    EXPECT_TRUE(files().deleteFile(file));
    EXPECT_TRUE(files().deleteFile(moved));
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) EXPECT_TRUE(files().removeDirectory(*it)) << *it;
    EXPECT_EQ(Names(files(), At("")), std::set<std::string>{});
}

}  // namespace
}  // namespace qnb::test
