#include "uikit/win32/shadow_window.h"

#include "platform/win32/handles.h"
#include "uikit/win32/framework.h"

#include <cstring>

namespace uikit {

namespace {

constexpr wchar_t kClass[] = L"QnbShadow";

bool RegisterShadowClass() {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(Framework::Instance(), kClass, &existing)) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = Framework::Instance();
    wc.lpszClassName = kClass;
    return RegisterClassExW(&wc) != 0;
}

}  // namespace

ShadowWindow::ShadowWindow(HWND target, const ShadowSettings& settings) : target_(target), settings_(settings) {
    if (!RegisterShadowClass()) return;
    // Owned by the target's owner, not by the target: an owned window always
    // lies above its owner, and the shadow must lie below.
    hwnd_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClass, L"",
                            WS_POPUP, 0, 0, 0, 0, GetWindow(target, GW_OWNER), nullptr, Framework::Instance(), nullptr);
}

ShadowWindow::~ShadowWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void ShadowWindow::Paint(Size window) {
    Size total = ShadowBitmapSize(window, settings_);
    std::vector<uint32_t> pixels = MakeShadowBitmap(window, settings_);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = total.cx;
    info.bmiHeader.biHeight = -total.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    qnb::win32::WindowDc screen(nullptr);
    qnb::win32::UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
    void* bits = nullptr;
    qnb::win32::UniqueGdiObject<HBITMAP> bitmap(
        CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap && bits) {
        std::memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));
        qnb::win32::SelectedObject selected(dc.get(), bitmap.get());
        RECT rc;
        GetWindowRect(target_, &rc);
        POINT at{rc.left - settings_.size, rc.top - settings_.size};
        SIZE size{total.cx, total.cy};
        POINT origin{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UpdateLayeredWindow(hwnd_, screen.get(), &at, &size, dc.get(), &origin, 0, &blend, ULW_ALPHA);
        painted_ = window;
    }
}

void ShadowWindow::Follow() {
    if (!hwnd_) return;
    if (!IsWindowVisible(target_) || IsIconic(target_)) {
        if (shown_) ShowWindow(hwnd_, SW_HIDE);
        shown_ = false;
        return;
    }
    RECT rc;
    GetWindowRect(target_, &rc);
    Size window{rc.right - rc.left, rc.bottom - rc.top};
    if (!(window == painted_)) Paint(window);
    SetWindowPos(hwnd_, target_, rc.left - settings_.size, rc.top - settings_.size, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | (shown_ ? 0 : SWP_SHOWWINDOW));
    shown_ = true;
}

void ShadowWindow::Show(bool show) {
    if (!hwnd_) return;
    if (!show) {
        if (shown_) ShowWindow(hwnd_, SW_HIDE);
        shown_ = false;
        return;
    }
    // Before the target appears: some systems (Wine under X) put a window
    // that appears above all others whatever the z-order says, so the
    // shadow must appear first.
    if (shown_ || IsIconic(target_)) return;
    RECT rc;
    GetWindowRect(target_, &rc);
    Size window{rc.right - rc.left, rc.bottom - rc.top};
    if (!(window == painted_)) Paint(window);
    SetWindowPos(hwnd_, target_, rc.left - settings_.size, rc.top - settings_.size, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    shown_ = true;
}

}  // namespace uikit
