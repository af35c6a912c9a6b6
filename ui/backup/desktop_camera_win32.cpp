#include "ui/backup/desktop_camera_win32.h"

#include "platform/win32/protected_folder.h"
#include "platform/scope_exit.h"
#include "platform/text.h"

#include <windows.h>
#include <exdisp.h>
#include <gdiplus.h>
#include <shldisp.h>

#include <memory>
#include <vector>

namespace qnb::ui {

namespace {

// Shell.Application ({13709620-C279-11CE-A49E-444553540000}) and its
// IShellDispatch4, which has ToggleDesktop.
const CLSID kShellApplication = {0x13709620, 0xC279, 0x11CE, {0xA4, 0x9E, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID kShellDispatch4 = {0xefd84b2d, 0x4bcf, 0x4298, {0xbe, 0x25, 0xeb, 0x54, 0x2a, 0x59, 0xfb, 0xda}};

bool JpegEncoder(CLSID* clsid) {
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
    std::vector<unsigned char> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && wcscmp(codecs[i].MimeType, L"image/jpeg") == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

}  // namespace

void ScreenCamera::ShowDesktop() {
    IShellDispatch4* shell = nullptr;
    if (FAILED(CoCreateInstance(kShellApplication, nullptr, CLSCTX_INPROC_SERVER, kShellDispatch4,
                                reinterpret_cast<void**>(&shell))) ||
        !shell) {
        return;  // the picture is taken all the same, with the windows as they are
    }
    shell->ToggleDesktop();
    shell->Release();
}

bool ScreenCamera::TakePicture(const std::string& path) {
    HWND desktop = GetDesktopWindow();
    RECT rc;
    if (!GetWindowRect(desktop, &rc) || rc.right <= rc.left || rc.bottom <= rc.top) return false;
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    HDC screen = GetWindowDC(desktop);
    if (!screen) return false;
    ScopeExit releaseScreen([&] { ReleaseDC(desktop, screen); });
    HDC memory = CreateCompatibleDC(screen);
    if (!memory) return false;
    ScopeExit deleteMemory([&] { DeleteDC(memory); });
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    if (!bitmap) return false;
    ScopeExit deleteBitmap([&] { DeleteObject(bitmap); });
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BOOL copied = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT);
    SelectObject(memory, previous);
    if (!copied) return false;

    CLSID jpeg;
    if (!JpegEncoder(&jpeg)) return false;
    Gdiplus::Bitmap picture(bitmap, nullptr);
    if (picture.GetLastStatus() != Gdiplus::Ok) return false;
    const std::wstring target = text::Wide(path);
    if (picture.Save(target.c_str(), &jpeg, nullptr) != Gdiplus::Ok) {
        DeleteFileW(target.c_str());
        return false;
    }
    return true;
}

std::string ScreenCamera::Folder() { return win32::TemporaryFolder(); }

}  // namespace qnb::ui
