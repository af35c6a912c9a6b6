// Facts about the running Windows, each from one Win32 call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qnb {

struct NtVersion {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;  // as RtlGetNtVersionNumbers gives it (high bits flag the build kind)
};

class SystemPort {
public:
    virtual ~SystemPort() = default;
    // GetWindowsDirectory, UTF-8.
    virtual std::optional<std::string> windowsDirectory() = 0;
    // ntdll's RtlGetNtVersionNumbers; nothing when it is missing.
    virtual std::optional<NtVersion> ntVersionNumbers() = 0;
    // kernel32's GetProductInfo(major, minor, 0, 0); nothing when missing or when it returns 0.
    virtual std::optional<uint32_t> productInfo(uint32_t major, uint32_t minor) = 0;
    // kernel32's IsWow64Process for this process; nothing when missing or failing.
    virtual std::optional<bool> isWow64Process() = 0;
};

}  // namespace qnb
