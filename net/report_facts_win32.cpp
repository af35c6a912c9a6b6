#include "net/report_facts_win32.h"

#include "platform/text.h"

#include <windows.h>

namespace qnb::net::win32 {

std::optional<WindowsReportFacts> ReadReportFacts() {
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    // The manifest names Windows 10 as supported, so the answer is the true version.
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) return std::nullopt;
#pragma GCC diagnostic pop
    WindowsReportFacts facts;
    facts.major = static_cast<int32_t>(version.dwMajorVersion);
    facts.minor = static_cast<int32_t>(version.dwMinorVersion);
    facts.build = static_cast<int32_t>(version.dwBuildNumber);
    facts.productType = version.wProductType;
    facts.servicePack = text::Narrow(version.szCSDVersion);

    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    using NativeInfo = void(WINAPI*)(SYSTEM_INFO*);
    using ProductInfo = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, DWORD*);
    SYSTEM_INFO system{};
    if (auto native = reinterpret_cast<NativeInfo>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetNativeSystemInfo")))) {
        native(&system);
    } else {
        GetSystemInfo(&system);
    }
    facts.architecture = system.wProcessorArchitecture;
    if (facts.major > 5) {
        auto product = reinterpret_cast<ProductInfo>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetProductInfo")));
        DWORD type = 0;
        if (product && product(version.dwMajorVersion, version.dwMinorVersion, 0, 0, &type)) {
            facts.productInfo = static_cast<int32_t>(type);
        }
    }
    return facts;
}

}  // namespace qnb::net::win32
