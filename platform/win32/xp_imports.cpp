// Windows XP lacks GetTickCount64, which the thread library of the toolchain
// imports. The import slot is defined here instead: it points at a function
// that calls the real one where Windows has it and otherwise extends
// GetTickCount to 64 bits. Linked into the 32-bit programs only.
#include <windows.h>

namespace {

using TickCount64 = ULONGLONG(WINAPI*)();

volatile LONG g_lock = 0;
DWORD g_last = 0;
ULONGLONG g_wraps = 0;

ULONGLONG WINAPI TickCount64OrExtended() {
    static const TickCount64 real = reinterpret_cast<TickCount64>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
    if (real) return real();
    while (InterlockedExchange(&g_lock, 1) != 0) Sleep(0);
    DWORD now = GetTickCount();
    if (now < g_last) g_wraps += ULONGLONG{1} << 32;  // about every 49.7 days
    g_last = now;
    ULONGLONG result = g_wraps + now;
    InterlockedExchange(&g_lock, 0);
    return result;
}

}  // namespace

extern "C" {
TickCount64 qnb_imp_GetTickCount64 __asm__("__imp__GetTickCount64@0") = TickCount64OrExtended;
}
