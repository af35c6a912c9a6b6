// The shell's folder picker (SHBrowseForFolder, present on Windows XP),
// titled "Select Directory", rooted at a drive's root folder so that the
// user cannot leave that drive; without a button for new folders.
#pragma once

#include "ui/wizard/folder_picker.h"

#include <shlobj.h>

#include <functional>
#include <memory>

namespace qnb::ui {

// BIF_DONTGOBELOWDOMAIN | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON.
constexpr UINT kFolderPickerFlags = 0x242;
constexpr wchar_t kFolderPickerTitle[] = L"Select Directory";

struct ItemIdListFree {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
using UniqueItemIdList = std::unique_ptr<ITEMIDLIST, ItemIdListFree>;

// The shell item of "X:\" for the letter, parsed through the desktop
// folder; null when the shell cannot parse it (the picker then starts at
// the top of the shell's namespace).
UniqueItemIdList DriveRootItem(char driveLetter);

class ShellFolderPicker : public FolderPicker {
public:
    std::optional<std::string> Pick(HWND owner, char driveLetter) override;

    // Called with the dialog once it shows (tests answer it from there).
    std::function<void(HWND dialog)> onShown;
};

}  // namespace qnb::ui
