// Where the backup page gets a folder from: the shell's folder picker in
// the program, a stand-in in tests.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace qnb::ui {

class FolderPicker {
public:
    virtual ~FolderPicker() = default;
    // A folder under the root of the drive (its letter), picked by the user
    // in a dialog owned by owner; nothing when cancelled or when the picked
    // item has no file-system path.
    virtual std::optional<std::string> Pick(HWND owner, char driveLetter) = 0;
};

}  // namespace qnb::ui
