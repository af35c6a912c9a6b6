#include "ui/wizard/image_file_dialog_win32.h"

#include "platform/text.h"
#include "ui/iso/iso_info_dlg.h"

#include <commdlg.h>

#include <vector>

namespace qnb::ui {

std::optional<std::string> PickImageFile(HWND owner) {
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kImageFileFilter;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.Flags = OFN_FILEMUSTEXIST;
    static_assert(OFN_FILEMUSTEXIST == 0x1000);
    if (!GetOpenFileNameW(&dialog) || !file[0]) return std::nullopt;
    return text::Narrow(file.data());
}

std::optional<std::string> WizardImageChooser::PickImageFile() { return ui::PickImageFile(owner_); }

images::IsoChoice WizardImageChooser::ChooseIso(const std::string& isoPath) {
    return ChooseIsoImage(owner_, isoPath, tools_, files_, desktop_);
}

}  // namespace qnb::ui
