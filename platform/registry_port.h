// Reading values of the registry, as they are stored.
#pragma once

#include "platform/failure.h"

#include <cstdint>
#include <string>

namespace qnb {

enum class RegistryRoot { kLocalMachine, kCurrentUser };

// Keys are paths under the root without a leading backslash
// ("SOFTWARE\Microsoft\Windows NT\CurrentVersion"). A missing key or value
// fails with ERROR_FILE_NOT_FOUND, a value of another type with
// ERROR_DATATYPE_MISMATCH.
class RegistryPort {
public:
    virtual ~RegistryPort() = default;
    // The key opens for reading (a key without values counts).
    virtual Status OpenKey(RegistryRoot root, const std::string& key) = 0;
    // REG_SZ or REG_EXPAND_SZ (unexpanded), UTF-8, up to its first NUL.
    virtual Result<std::string> ReadString(RegistryRoot root, const std::string& key, const std::string& value) = 0;
    // REG_DWORD.
    virtual Result<uint32_t> ReadNumber(RegistryRoot root, const std::string& key, const std::string& value) = 0;
};

// "HKLM\key\value": where a failure happened, for the log.
std::string RegistryPlace(RegistryRoot root, const std::string& key, const std::string& value);

}  // namespace qnb
