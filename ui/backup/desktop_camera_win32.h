// The desktop camera of Windows: the shell application's "show the
// desktop", a copy of the desktop window's rectangle, GDI+'s JPEG encoder
// (default quality). COM and GDI+ are the caller's (the program starts
// both on its window thread).
#pragma once

#include "ui/backup/desktop_camera.h"

namespace qnb::ui {

class ScreenCamera : public DesktopCamera {
public:
    void ShowDesktop() override;
    bool TakePicture(const std::string& path) override;
    std::string Folder() override;
};

}  // namespace qnb::ui
