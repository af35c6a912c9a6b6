// The shell folder adapter on a real (Wine) system.
#include "platform/text.h"
#include "platform/win32/shell_folders_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace qnb::win32 {
namespace {

TEST(Win32ShellFolders, EveryFolderIsAFullPathWithoutATrailingBackslash) {
    Win32ShellFolders folders;
    for (ShellFolder folder : {ShellFolder::kDesktop, ShellFolder::kDocuments, ShellFolder::kCommonDocuments,
                               ShellFolder::kWindows, ShellFolder::kTemporary, ShellFolder::kInternetCache}) {
        Result<std::string> path = folders.Path(folder);
        ASSERT_TRUE(path) << static_cast<int>(folder) << ": " << path.failure().Describe();
        ASSERT_GT(path->size(), 3u) << *path;
        EXPECT_EQ(path->substr(1, 2), ":\\") << *path;
        EXPECT_NE(path->back(), '\\') << *path;
    }
}

TEST(Win32ShellFolders, WindowsAndTemporaryAreTheSystemsOwn) {
    Win32ShellFolders folders;
    wchar_t buffer[MAX_PATH + 1];
    UINT length = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    EXPECT_EQ(folders.Path(ShellFolder::kWindows).value(), text::Narrow(std::wstring_view(buffer, length)));
    length = GetTempPathW(MAX_PATH + 1, buffer);
    EXPECT_EQ(folders.Path(ShellFolder::kTemporary).value() + "\\", text::Narrow(std::wstring_view(buffer, length)));
}

}  // namespace
}  // namespace qnb::win32
