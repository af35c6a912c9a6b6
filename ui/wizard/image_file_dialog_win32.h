// The local image choice's two dialogs over the wizard's window: the
// system's file-open dialog for a .gho or .iso file (the file must exist),
// and for an ISO the image choice window (ui/iso/iso_info_dlg.h).
#pragma once

#include "images/iso_tools.h"
#include "platform/file_system.h"
#include "ui/desktop.h"
#include "ui/wizard/page1.h"

#include <windows.h>

#include <optional>
#include <string>

namespace qnb::ui {

// The file-open dialog's filter, as pairs of text and pattern.
constexpr wchar_t kImageFileFilter[] = L"镜像文件(*.gho;*.iso)\0*.gho;*.iso\0";

// The chosen file's full path; nothing when cancelled.
std::optional<std::string> PickImageFile(HWND owner);

class WizardImageChooser : public LocalImageChooser {
public:
    WizardImageChooser(images::IsoTools& tools, FileSystem& files, Desktop& desktop)
        : tools_(tools), files_(files), desktop_(desktop) {}
    // The window that owns the dialogs.
    void SetOwner(HWND owner) { owner_ = owner; }

    std::optional<std::string> PickImageFile() override;
    images::IsoChoice ChooseIso(const std::string& isoPath) override;

private:
    images::IsoTools& tools_;
    FileSystem& files_;
    Desktop& desktop_;
    HWND owner_ = nullptr;
};

}  // namespace qnb::ui
