#include "platform/win32/system_library.h"

#include <string>

namespace qnb::win32 {

bool RestrictLibrarySearch() {
    // kernel32 is always loaded; GetModuleHandle finds it without a search.
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(
                                   GetProcAddress(kernel, "SetDefaultDllDirectories")))
                             : nullptr;
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
    // Windows XP SP1 and later have SetDllDirectory: "" drops the current
    // folder from the search; the program's own folder stays in it, which
    // is why every library is loaded by full path.
    using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCWSTR);
    auto setDirectory = kernel ? reinterpret_cast<SetDllDirectoryFunction>(
                                     reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryW")))
                               : nullptr;
    if (setDirectory) setDirectory(L"");
    return false;
}

UniqueModule LoadSystemLibrary(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::wstring path = std::wstring(folder, n) + L"\\" + name;
    return UniqueModule(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

}  // namespace qnb::win32
