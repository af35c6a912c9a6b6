// Facts about the running Windows, with the newer functions looked up by
// name so that one program runs from XP to 10.
#pragma once

#include "platform/system_port.h"

namespace qnb::win32 {

class Win32System : public SystemPort {
public:
    std::optional<std::string> windowsDirectory() override;
    std::optional<NtVersion> ntVersionNumbers() override;
    std::optional<uint32_t> productInfo(uint32_t major, uint32_t minor) override;
    std::optional<bool> isWow64Process() override;
};

}  // namespace qnb::win32
