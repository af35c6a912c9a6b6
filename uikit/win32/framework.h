// The framework's process-wide state: the program's instance, GDI+, the
// skin archive, and the windows that are open (for the message loop's key
// filter and for automation).
#pragma once

#include "uikit/core/skin_store.h"

#include <windows.h>

#include <vector>

namespace uikit {

class WindowImplBase;

class Framework {
public:
    // The skin archive's resource.
    static constexpr int kSkinResourceId = 134;
    static constexpr const wchar_t* kSkinResourceType = L"ZIPRES";

    // Starts GDI+ and loads the skin archive from the program's resources.
    // False when either fails; the program cannot show a window then.
    static bool Initialise(HINSTANCE instance);
    static void Shutdown();

    static HINSTANCE Instance();
    static void SetInstance(HINSTANCE instance);
    static const SkinStore& Skin();
    // Replaces the skin (tests load their own archive).
    static bool LoadSkin(const uint8_t* bytes, size_t size);

    // The open windows, oldest first.
    static const std::vector<WindowImplBase*>& Windows();
    static void AddWindow(WindowImplBase* window);
    static void RemoveWindow(WindowImplBase* window);
    // The framework window of hwnd or of the nearest window above it.
    static WindowImplBase* WindowOf(HWND hwnd);
};

}  // namespace uikit
