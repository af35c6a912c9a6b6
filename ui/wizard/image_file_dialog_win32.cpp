#include "ui/wizard/image_file_dialog_win32.h"

#include "platform/text.h"
#include "platform/win32/system_library.h"
#include "ui/iso/iso_info_dlg.h"

#include <commdlg.h>

#include <vector>

namespace qnb::ui {

std::optional<std::string> PickImageFile(HWND owner) {
    // The common dialogs by full path from the system folder: an import of
    // comdlg32.dll would be looked for beside the elevated program first.
    static const win32::UniqueModule library = win32::LoadSystemLibrary(L"comdlg32.dll");
    using GetOpenFileNameFn = BOOL(WINAPI*)(OPENFILENAMEW*);
    static const auto getOpenFileName = win32::LibraryFunction<GetOpenFileNameFn>(library, "GetOpenFileNameW");
    if (!getOpenFileName) return std::nullopt;
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kImageFileFilter;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.Flags = OFN_FILEMUSTEXIST;
    static_assert(OFN_FILEMUSTEXIST == 0x1000);
    if (!getOpenFileName(&dialog) || !file[0]) return std::nullopt;
    return text::Narrow(file.data());
}

std::optional<std::string> WizardImageChooser::PickImageFile() { return ui::PickImageFile(owner_); }

images::IsoChoice WizardImageChooser::ChooseIso(const std::string& isoPath) {
    return ChooseIsoImage(owner_, isoPath, tools_, files_, desktop_);
}

}  // namespace qnb::ui
