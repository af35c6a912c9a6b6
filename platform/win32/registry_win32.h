// Registry values read with RegOpenKeyEx/RegQueryValueEx (the view of the
// process: a 32-bit program on 64-bit Windows sees WOW64's).
#pragma once

#include "platform/registry_port.h"

namespace qnb::win32 {

class Win32Registry : public RegistryPort {
public:
    Status OpenKey(RegistryRoot root, const std::string& key) override;
    Result<std::string> ReadString(RegistryRoot root, const std::string& key, const std::string& value) override;
    Result<uint32_t> ReadNumber(RegistryRoot root, const std::string& key, const std::string& value) override;
};

}  // namespace qnb::win32
