// The Win32 adapters on a real (Wine) system.
#include "platform/detached_thread.h"
#include "platform/text.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/storage_win32.h"
#include "platform/win32/system_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cctype>
#include <thread>
#include <vector>

namespace qnb::win32 {
namespace {

std::string TempFolder(const std::string& name) {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH, temp);
    std::string folder = text::Narrow(temp) + name + "\\";
    CreateDirectoryW(text::Wide(folder).c_str(), nullptr);
    return folder;
}

TEST(Win32Text, AnsiIsTheSystemCodePage) {
    ASSERT_EQ(GetACP(), 936u) << "the tests run with a Chinese ANSI code page";
    EXPECT_EQ(text::Utf8ToAnsi("重装助手"), "\xD6\xD8\xD7\xB0\xD6\xFA\xCA\xD6");
    EXPECT_EQ(text::AnsiToUtf8("\xCF\xB5\xCD\xB3"), "系统");
}

TEST(Win32FileSystem, WholeFilesWithChineseNames) {
    Win32FileSystem files;
    std::string folder = TempFolder("qnb-文件");
    std::string path = folder + "设置.json";
    EXPECT_FALSE(files.readFile(path));
    ASSERT_TRUE(files.writeFile(path, "first"));
    ASSERT_TRUE(files.writeFile(path, std::string("second\0with a NUL", 17)));
    EXPECT_EQ(files.readFile(path), std::string("second\0with a NUL", 17));
    EXPECT_TRUE(files.access(path, FileSystem::kReadWrite));
    EXPECT_FALSE(files.writeFile(folder + "missing\\x.json", "x")) << "no folder: nothing written";

    bool listed = false;
    for (const DirectoryEntry& e : files.list(folder)) {
        EXPECT_EQ(e.name.find(".tmp"), std::string::npos) << "no temporary file is left behind";
        listed |= e.name == "设置.json";
    }
    EXPECT_TRUE(listed);
    EXPECT_TRUE(files.deleteFile(path));
    EXPECT_FALSE(files.access(path, FileSystem::kExists));
    EXPECT_TRUE(files.makeDirectory(folder + "子"));
    EXPECT_FALSE(files.makeDirectory(folder + "子")) << "already there";
}

TEST(Win32FileSystem, AReadOnlyFileRefusesWriteAccess) {
    Win32FileSystem files;
    std::string path = TempFolder("qnb-readonly") + "r.txt";
    ASSERT_TRUE(files.writeFile(path, "x"));
    SetFileAttributesW(text::Wide(path).c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(files.access(path, FileSystem::kRead));
    EXPECT_FALSE(files.access(path, FileSystem::kReadWrite));
    SetFileAttributesW(text::Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Rewrites the file named by p, 200,000 a's and 300,000 b's in turn, until the process ends.
DWORD WINAPI RewriteForever(void* p) {
    Win32FileSystem childFiles;
    const std::string& target = *static_cast<std::string*>(p);
    for (int i = 0;; ++i) childFiles.writeFile(target, std::string(i % 2 ? 300000 : 200000, i % 2 ? 'b' : 'a'));
}

// A crash while saving must leave the previous file whole: the child keeps
// rewriting a file and is killed at some point; the file is then one of the
// versions written, never a torn mixture.
TEST(Win32FileSystem, AKilledWriterLeavesAWholeFile) {
    std::string path = TempFolder("qnb-crash") + "SETTING.JSON";
    const std::string a(200000, 'a'), b(300000, 'b');
    Win32FileSystem files;
    ASSERT_TRUE(files.writeFile(path, a));
    for (int delayMs : {1, 3, 7, 12, 20}) {
        EXPECT_EXIT(
            {
                HANDLE writer = CreateThread(nullptr, 0, RewriteForever, &path, 0, nullptr);
                (void)writer;
                Sleep(delayMs);
                TerminateProcess(GetCurrentProcess(), 9);
            },
            ::testing::ExitedWithCode(9), "");
        auto content = files.readFile(path);
        ASSERT_TRUE(content);
        EXPECT_TRUE(*content == a || *content == b) << "torn file of " << content->size() << " bytes";
    }
}

// Detached threads started and ending while other threads start more: the
// toolchain's own detached threads crash most runs of this.
TEST(DetachedThreads, ManyAtOnceAllRun) {
    // A 32-bit process has address space for some hundreds of thread stacks
    // at once (2 MB reserved each), not thousands: it makes fewer in all.
    constexpr int kMakers = 4, kEach = sizeof(void*) == 8 ? 1500 : 100;
    static std::atomic<int> ran;  // outlives the test should a thread be late
    ran = 0;
    std::vector<std::thread> makers;
    for (int m = 0; m < kMakers; ++m) {
        makers.emplace_back([&] {
            for (int i = 0; i < kEach; ++i) ASSERT_TRUE(StartDetachedThread([&] { ++ran; }));
        });
    }
    for (std::thread& t : makers) t.join();
    for (int waited = 0; ran < kMakers * kEach && waited < 30000; waited += 10) Sleep(10);
    EXPECT_EQ(ran, kMakers * kEach);
}

TEST(Win32Storage, TheSystemDriveAnswers) {
    Win32Storage storage;
    std::string drives = storage.logicalDriveStrings();
    EXPECT_NE(drives.find(std::string("C:\\\0", 4)), std::string::npos);
    EXPECT_EQ(drives.size() % 4, 0u);
    EXPECT_EQ(storage.driveType("C:\\"), 3u);  // DRIVE_FIXED
    EXPECT_EQ(storage.driveType("Q:\\"), 1u);  // DRIVE_NO_ROOT_DIR
    auto info = storage.volumeInformation("C:\\");
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->fileSystem.empty());
    EXPECT_GT(storage.freeBytesAvailable("C:\\").value_or(0), 0u);
    auto clusters = storage.diskFreeSpace("C:\\");
    ASSERT_TRUE(clusters);
    EXPECT_GT(clusters->bytesPerSector, 0u);
    EXPECT_FALSE(storage.open("\\\\.\\PhysicalDrive19", DeviceOpen::ProbeDrive));
}

TEST(Win32System, TheRunningWindows) {
    Win32System system;
    auto windows = system.windowsDirectory();
    ASSERT_TRUE(windows);
    EXPECT_EQ(std::toupper(static_cast<unsigned char>((*windows)[0])), 'C');
    auto version = system.ntVersionNumbers();
    ASSERT_TRUE(version);
    EXPECT_GE(version->major, 5u);
    // The 64-bit program knows it without asking; the 32-bit one asks
    // IsWow64Process, and runs on a 64-bit prefix.
    EXPECT_EQ(system.isWow64Process(), true) << "a test program of " << sizeof(void*) * 8 << " bits";
}

}  // namespace
}  // namespace qnb::win32
