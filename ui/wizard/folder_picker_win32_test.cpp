// The shell's folder picker under Wine, answered from inside the dialog.
#include "ui/wizard/folder_picker_win32.h"

#include "platform/text.h"

#include <gtest/gtest.h>

namespace qnb::ui {
namespace {

// Selects path (when given) in the open picker, then presses a button.
std::function<void(HWND)> Answer(const wchar_t* path, int button) {
    return [path, button](HWND dialog) {
        if (path) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path));
        PostMessageW(dialog, WM_COMMAND, button, 0);
    };
}

TEST(ShellFolderPicker, StaysOnTheDriveItIsRootedAt) {
    UniqueItemIdList root = DriveRootItem('C');
    ASSERT_TRUE(root);
    wchar_t path[MAX_PATH + 1] = {};
    ASSERT_TRUE(SHGetPathFromIDListW(root.get(), path));
    EXPECT_EQ(text::Narrow(path), "C:\\");

    ShellFolderPicker picker;
    picker.onShown = Answer(nullptr, IDOK);
    EXPECT_EQ(picker.Pick(nullptr, 'C').value_or("<none>"), "C:\\") << "the root, accepted at once";
    picker.onShown = Answer(L"C:\\windows", IDOK);
    EXPECT_EQ(picker.Pick(nullptr, 'C').value_or("<none>"), "C:\\windows");
    picker.onShown = Answer(L"Z:\\", IDOK);
    EXPECT_EQ(picker.Pick(nullptr, 'C').value_or("<none>"), "C:\\") << "a folder of another drive cannot be chosen";
    picker.onShown = Answer(L"C:\\windows", IDCANCEL);
    EXPECT_FALSE(picker.Pick(nullptr, 'C')) << "cancelled";
}

}  // namespace
}  // namespace qnb::ui
