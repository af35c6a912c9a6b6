// The file adapter on a real (Wine) system: the contract the twins share,
// long paths, short names and reparse points.
#include "platform/error_codes.h"
#include "platform/folder_tree.h"
#include "platform/test_support/file_system_contract.h"
#include "platform/text.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/wide_path.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <map>

namespace qnb::win32 {
namespace {

using test::FileSystemContract;

// A new empty folder under the temporary folder.
std::string FreshFolder(const std::string& name) {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    std::string folder = text::Narrow(std::wstring_view(temp, length)) + name + "-" +
                         std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++) + "\\";
    EXPECT_TRUE(CreateDirectoryW(text::Wide(folder).c_str(), nullptr));
    return folder;
}

class Win32Place : public test::ContractPlace {
public:
    FileSystem& files() override { return files_; }
    std::string folder() const override { return folder_; }

private:
    Win32FileSystem files_;
    std::string folder_ = FreshFolder("qnb-contract");
};

INSTANTIATE_TEST_SUITE_P(
    Adapter, FileSystemContract,
    ::testing::Values(test::ContractSubject{
        "Win32", [] { return std::unique_ptr<test::ContractPlace>(new Win32Place); }}),
    test::SubjectName);

TEST(WidePath, OnlyLongAbsolutePathsTakeTheLongForm) {
    const std::string name(130, 'n');  // two of them pass the plain form's limit
    struct Case {
        std::string path;
        std::wstring wide;
    };
    const std::wstring wideName(name.begin(), name.end());
    const Case cases[] = {
        {"C:\\short\\路径", L"C:\\short\\路径"},
        {"C:\\" + name + "\\" + name + "\\x", L"\\\\?\\C:\\" + wideName + L"\\" + wideName + L"\\x"},
        {"C:/" + name + "//" + name + "/./y/../x", L"\\\\?\\C:\\" + wideName + L"\\" + wideName + L"\\x"},
        {"\\\\server\\share\\" + name + "\\" + name, L"\\\\?\\UNC\\server\\share\\" + wideName + L"\\" + wideName},
        {name + "\\" + name + "\\relative", wideName + L"\\" + wideName + L"\\relative"},
        {"\\\\?\\C:\\" + name + "\\" + name + "\\..", L"\\\\?\\C:\\" + wideName + L"\\" + wideName + L"\\.."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text::Narrow(WidePath(c.path)), text::Narrow(c.wide));
    }
    EXPECT_EQ(NarrowPath(L"\\\\?\\UNC\\server\\share\\x"), "\\\\server\\share\\x");
    EXPECT_EQ(NarrowPath(L"\\\\?\\C:\\x"), "C:\\x");
}

// Under a folder path longer than MAX_PATH, the folder tree and the
// listing work as on a short one.
TEST(Win32FileSystem, AFolderTreeBeyondMaxPath) {
    Win32FileSystem files;
    std::string deep = FreshFolder("qnb-deep");
    for (int i = 0; i < 10; ++i) deep += "folder-with-a-longer-name-" + std::to_string(i) + "\\";
    ASSERT_GT(deep.size(), 260u);
    ASSERT_TRUE(CreateFolderTree(files, deep));
    ASSERT_TRUE(files.writeFile(deep + "x.txt", "x"));
    bool listed = false;
    for (const DirectoryEntry& e : files.list(deep)) listed |= e.name == "x.txt" && e.size == 1;
    EXPECT_TRUE(listed);
}

TEST(Win32FileSystem, AShortNameGetsItsLongForm) {
    Win32FileSystem files;
    std::string folder = FreshFolder("qnb-short");
    std::string longName = folder + "A Folder With A Long Name";
    ASSERT_TRUE(files.makeDirectory(longName));
    wchar_t shortPath[MAX_PATH + 1];
    DWORD length = GetShortPathNameW(text::Wide(longName).c_str(), shortPath, MAX_PATH + 1);
    ASSERT_GT(length, 0u);
    std::string shortForm = text::Narrow(std::wstring_view(shortPath, length));
    Result<std::string> folderLong = files.longPathName(folder);
    ASSERT_TRUE(folderLong);
    EXPECT_EQ(files.longPathName(shortForm).value(), *folderLong + "A Folder With A Long Name") << shortForm;
}

TEST(Win32FileSystem, AFolderMarkedReadOnlyStaysWritable) {
    Win32FileSystem files;
    std::string folder = FreshFolder("qnb-marked");
    ASSERT_TRUE(SetFileAttributesW(text::Wide(folder).c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_TRUE(files.access(folder, FileSystem::kReadWrite)) << "as _access: the mark means a customised folder";
    ASSERT_TRUE(files.writeFile(folder + "f", "x"));
    EXPECT_TRUE(files.list(folder.substr(0, folder.size() - 1)).size() == 3) << "a folder named without its backslash";
}

// Wine shows a host's symbolic link to a folder as Windows shows a
// junction; the adapter passes that on and never lists through it.
TEST(Win32FileSystem, AJunctionIsListedAsAReparsePoint) {
    std::string folder = "Z:" + std::string(QNB_LINK_FIXTURE) + "\\";
    for (char& c : folder) c = c == '/' ? '\\' : c;
    Win32FileSystem files;
    std::map<std::string, DirectoryEntry> entries;
    for (const DirectoryEntry& e : files.list(folder)) entries[e.name] = e;
    const uint32_t kind = kFileAttributeDirectory | kFileAttributeReparsePoint;
    EXPECT_EQ(entries["junction"].attributes & kind, kind);
    EXPECT_EQ(entries["real"].attributes & kind, kFileAttributeDirectory);
    EXPECT_TRUE(IsLink(entries["junction"])) << std::hex << entries["junction"].reparseTag;
    EXPECT_FALSE(IsLink(entries["real"]));
    Result<FileFacts> facts = files.facts(folder + "junction");
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->attributes & kind, kind);
}

}  // namespace
}  // namespace qnb::win32
