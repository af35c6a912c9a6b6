#include "uikit/win32/framework.h"

#include "uikit/win32/render_gdiplus.h"
#include "uikit/win32/window_impl_base.h"

#ifdef QNB_UI_AUTOMATION
#include "uikit/win32/automation_server.h"
#endif

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>

namespace uikit {

namespace {

HINSTANCE g_instance = nullptr;
ULONG_PTR g_gdiplusToken = 0;
SkinStore* g_skin = nullptr;
std::vector<WindowImplBase*> g_windows;

SkinStore& SkinInstance() {
    if (!g_skin) g_skin = new SkinStore();  // lives until the process ends
    return *g_skin;
}

bool StartGdiplus() {
    if (g_gdiplusToken) return true;
    Gdiplus::GdiplusStartupInput input;
    return Gdiplus::GdiplusStartup(&g_gdiplusToken, &input, nullptr) == Gdiplus::Ok;
}

}  // namespace

bool Framework::Initialise(HINSTANCE instance) {
    g_instance = instance;
    if (!StartGdiplus()) return false;
    if (!SkinInstance().LoadFromResource(kSkinResourceId, kSkinResourceType)) return false;
#ifdef QNB_UI_AUTOMATION
    automation::StartServer();
#endif
    return true;
}

void Framework::Shutdown() {
#ifdef QNB_UI_AUTOMATION
    automation::StopServer();
#endif
    ReleaseRenderResources();
    if (g_gdiplusToken) {
        Gdiplus::GdiplusShutdown(g_gdiplusToken);
        g_gdiplusToken = 0;
    }
}

HINSTANCE Framework::Instance() { return g_instance ? g_instance : GetModuleHandleW(nullptr); }

void Framework::SetInstance(HINSTANCE instance) { g_instance = instance; }

const SkinStore& Framework::Skin() { return SkinInstance(); }

bool Framework::LoadSkin(const uint8_t* bytes, size_t size) {
    if (!StartGdiplus()) return false;
    ReleaseRenderResources();
    return SkinInstance().LoadFromMemory(bytes, size);
}

const std::vector<WindowImplBase*>& Framework::Windows() { return g_windows; }

void Framework::AddWindow(WindowImplBase* window) { g_windows.push_back(window); }

void Framework::RemoveWindow(WindowImplBase* window) {
    g_windows.erase(std::remove(g_windows.begin(), g_windows.end(), window), g_windows.end());
}

WindowImplBase* Framework::WindowOf(HWND hwnd) {
    // Up through parents only: a message box owned by a window is not part of it.
    for (HWND h = hwnd; h; h = (GetWindowLongW(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr) {
        for (WindowImplBase* w : g_windows) {
            if (w->GetHWND() == h) return w;
        }
    }
    return nullptr;
}

}  // namespace uikit
