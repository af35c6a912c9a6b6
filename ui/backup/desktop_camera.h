// The picture of the desktop that goes with a system backup, as the
// backup window asks for it: the open windows out of the way, then the
// whole desktop saved as a JPEG file.
#pragma once

#include <string>

namespace qnb::ui {

class DesktopCamera {
public:
    virtual ~DesktopCamera() = default;
    // Asks the shell to show the desktop (the open windows are minimised).
    virtual void ShowDesktop() = 0;
    // The whole desktop window, saved as JPEG at path; false when it
    // could not be taken or saved (no file is left then).
    virtual bool TakePicture(const std::string& path) = 0;
    // Where the picture goes first: the user's temporary folder, ending with "\".
    virtual std::string Folder() = 0;
};

}  // namespace qnb::ui
