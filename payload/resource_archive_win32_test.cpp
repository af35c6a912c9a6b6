// The payload archive on Windows: resource 135 "DATA" of this test program
// is the test archive (payload/test_fixture), written out with the Win32
// file operations.
#include "payload/resource_archive.h"

#include "platform/text.h"
#include "platform/win32/file_system_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace qnb {
namespace {

namespace fs = std::filesystem;

class PayloadWin32Test : public ::testing::Test {
protected:
    PayloadWin32Test() {
        wchar_t temp[MAX_PATH + 1];
        DWORD n = GetTempPathW(MAX_PATH + 1, temp);
        // Ends with "\", as the consumers' temporary folder does.
        folder_ = text::Narrow(std::wstring(temp, n)) + "qnb-payload-" + std::to_string(GetCurrentProcessId()) +
                  "-" + std::to_string(GetTickCount()) + "\\";
        CreateDirectoryW(text::Wide(folder_).c_str(), nullptr);
    }
    ~PayloadWin32Test() override {
        std::error_code ignored;
        fs::remove_all(fs::path(text::Wide(folder_)), ignored);
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(fs::path(text::Wide(path)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static bool Exists(const std::string& path) { return fs::exists(fs::path(text::Wide(path))); }

    win32::Win32FileSystem files_;
    std::string folder_;
};

TEST_F(PayloadWin32Test, LoadsTheProgramsOwnResource) {
    CResourceArchive archive(files_);
    ASSERT_TRUE(archive.LoadFromResource(CResourceArchive::kPayloadId, CResourceArchive::kPayloadType));
    std::set<std::string> names;
    for (const CResourceArchive::Listing& e : archive.List()) names.insert(e.name);
    EXPECT_EQ(names, (std::set<std::string>{"download/empty.dat", "download/id.dat", "isocmd/ISODrive.sys",
                                            "isocmd/isocmd.exe", "xldl.dll", "xp/boot/bcd", "xp/boot/boot.sdi",
                                            "xp/grub.mbr", "说明.txt"}));
}

TEST_F(PayloadWin32Test, AMissingResourceLoadsNothing) {
    for (auto [id, type] : {std::pair<int, const wchar_t*>{136, L"DATA"}, {135, L"ZIPRES"}, {134, L"DATA"}}) {
        CResourceArchive archive(files_);
        EXPECT_FALSE(archive.LoadFromResource(id, type)) << id;
        EXPECT_EQ(archive.ExtractFile("xp/grub.mbr", folder_ + "missing\\grub.mbr"), 0u);
        EXPECT_FALSE(Exists(folder_ + "missing"));
    }
}

TEST_F(PayloadWin32Test, ExtractWritesEntriesThroughMissingFolders) {
    CResourceArchive archive(files_);
    ASSERT_TRUE(archive.LoadFromResource(135, L"DATA"));

    // The temporary folder ends with "\" and the entry's path starts with one.
    std::string target = folder_ + "\\download\\\\grub.mbr";
    ASSERT_EQ(archive.ExtractFile("xp/grub.mbr", target), 8192u);
    std::string bytes = Read(folder_ + "download\\grub.mbr");
    ASSERT_EQ(bytes.size(), 8192u);
    for (size_t i = 0; i < bytes.size(); ++i) {
        ASSERT_EQ(static_cast<uint8_t>(bytes[i]), static_cast<uint8_t>(i * 31 + (i >> 8))) << i;
    }

    // Again over the file, which is longer now: replaced, not overwritten in place.
    std::ofstream(fs::path(text::Wide(folder_ + "download\\grub.mbr")), std::ios::binary) << std::string(20000, 'x');
    EXPECT_EQ(archive.ExtractFile("xp/grub.mbr", target), 8192u);
    EXPECT_EQ(Read(folder_ + "download\\grub.mbr"), bytes);

    // Chinese in the entry name and in the target path.
    std::string chinese = folder_ + "中文\\目录\\说明.txt";
    EXPECT_EQ(archive.ExtractFile("说明.txt", chinese), 1520u);
    EXPECT_EQ(Read(chinese).substr(0, 6), "说明");
}

TEST_F(PayloadWin32Test, NamesMatchExactlyOnACaseBlindFileSystem) {
    CResourceArchive archive(files_);
    ASSERT_TRUE(archive.LoadFromResource(135, L"DATA"));
    uint64_t size = 0;
    for (const CResourceArchive::Listing& e : archive.List()) {
        if (e.name == "isocmd/ISODrive.sys") size = e.size;
    }
    ASSERT_GT(size, 0u);
    EXPECT_EQ(archive.ExtractFile("isocmd/ISODrive.sys", folder_ + "isocmd\\ISODrive.sys"), size);
    EXPECT_EQ(Read(folder_ + "isocmd\\ISODrive.sys").substr(0, 2), "MZ");
    EXPECT_EQ(archive.ExtractFile("isocmd\\ISODrive.sys", folder_ + "a\\ISODrive.sys"), 0u);
    EXPECT_EQ(archive.ExtractFile("ISOCMD/ISODrive.sys", folder_ + "b\\ISODrive.sys"), 0u);
    EXPECT_EQ(archive.ExtractFile("xp/boot", folder_ + "c\\boot"), 0u);
    EXPECT_FALSE(Exists(folder_ + "a"));
    EXPECT_FALSE(Exists(folder_ + "b"));
    EXPECT_FALSE(Exists(folder_ + "c"));
}

}  // namespace
}  // namespace qnb
