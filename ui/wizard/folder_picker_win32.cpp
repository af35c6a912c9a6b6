#include "ui/wizard/folder_picker_win32.h"

#include "platform/text.h"

#include <ole2.h>

namespace qnb::ui {

static_assert((BIF_DONTGOBELOWDOMAIN | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON) == kFolderPickerFlags);

namespace {

int CALLBACK OnPickerEvent(HWND dialog, UINT message, LPARAM, LPARAM data) {
    auto* picker = reinterpret_cast<ShellFolderPicker*>(data);
    if (message == BFFM_INITIALIZED && picker->onShown) picker->onShown(dialog);
    return 0;
}

}  // namespace

UniqueItemIdList DriveRootItem(char driveLetter) {
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop))) return nullptr;
    std::wstring root = text::Wide(std::string(1, driveLetter) + ":\\");
    ITEMIDLIST* item = nullptr;
    HRESULT parsed = desktop->ParseDisplayName(nullptr, nullptr, root.data(), nullptr, &item, nullptr);
    desktop->Release();
    if (FAILED(parsed)) return nullptr;
    return UniqueItemIdList(item);
}

std::optional<std::string> ShellFolderPicker::Pick(HWND owner, char driveLetter) {
    // The new dialog style needs OLE on this thread, apartment-threaded.
    HRESULT ole = OleInitialize(nullptr);
    struct OleEnd {
        bool started;
        ~OleEnd() {
            if (started) OleUninitialize();
        }
    } oleEnd{SUCCEEDED(ole)};

    UniqueItemIdList root = DriveRootItem(driveLetter);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pidlRoot = root.get();
    info.lpszTitle = kFolderPickerTitle;
    info.ulFlags = kFolderPickerFlags;
    info.lpfn = OnPickerEvent;
    info.lParam = reinterpret_cast<LPARAM>(this);
    UniqueItemIdList picked(SHBrowseForFolderW(&info));
    if (!picked) return std::nullopt;
    wchar_t path[MAX_PATH + 1] = {};
    if (!SHGetPathFromIDListW(picked.get(), path) || !path[0]) return std::nullopt;
    return text::Narrow(path);
}

}  // namespace qnb::ui
