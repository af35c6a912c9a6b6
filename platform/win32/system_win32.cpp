#include "platform/win32/system_win32.h"

#include "platform/text.h"

#include <windows.h>

namespace qnb::win32 {

namespace {

template <typename Function>
Function Lookup(const wchar_t* module, const char* name) {
    HMODULE handle = GetModuleHandleW(module);
    return handle ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(handle, name))) : nullptr;
}

}  // namespace

std::optional<std::string> Win32System::windowsDirectory() {
    wchar_t path[MAX_PATH + 1];
    UINT length = GetWindowsDirectoryW(path, MAX_PATH);
    if (length == 0 || length > MAX_PATH) return std::nullopt;
    return text::Narrow(std::wstring_view(path, length));
}

std::optional<NtVersion> Win32System::ntVersionNumbers() {
    using Function = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    auto function = Lookup<Function>(L"ntdll.dll", "RtlGetNtVersionNumbers");
    if (!function) return std::nullopt;
    DWORD major = 0, minor = 0, build = 0;
    function(&major, &minor, &build);
    return NtVersion{major, minor, build};
}

std::optional<uint32_t> Win32System::productInfo(uint32_t major, uint32_t minor) {
    using Function = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, DWORD*);
    auto function = Lookup<Function>(L"kernel32.dll", "GetProductInfo");
    DWORD type = 0;
    if (!function || !function(major, minor, 0, 0, &type)) return std::nullopt;
    return type;
}

std::optional<bool> Win32System::isWow64Process() {
#ifdef _WIN64
    return true;  // a 64-bit process runs on 64-bit Windows only; the shipped 32-bit program asks WOW64
#else
    using Function = BOOL(WINAPI*)(HANDLE, BOOL*);
    auto function = Lookup<Function>(L"kernel32.dll", "IsWow64Process");
    BOOL wow64 = FALSE;
    if (!function || !function(GetCurrentProcess(), &wow64)) return std::nullopt;
    return wow64 != FALSE;
#endif
}

}  // namespace qnb::win32
