// Facts about the Windows to be reinstalled: the running one, or in PE mode
// the one installed on the machine's disks.
#pragma once

#include "app/disk_info.h"
#include "platform/file_system.h"
#include "platform/storage_port.h"
#include "platform/system_port.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qnb {

constexpr char kUnknownLetter = 0x40;  // the character before 'A'

// Names and codes from the version numbers and the edition code.
std::string OsName(int major, int minor);
// One bit per Windows family and bitness: 1 XP; 2/4 Windows 7; 8/16 Windows 8
// and 8.1; 32/64 Windows 10 (32-/64-bit); 0 otherwise. Equals a catalogue
// image's imagetype.
int OsTypeCode(int major, int minor, bool is64);
std::string EditionName(uint32_t productType);
inline bool IsXp(int major, int minor) { return major == 5 && minor == 1; }

// True when the Windows folder of the running system lies on a volume whose
// bus type is virtual (14) or unknown (0): inside the preinstallation environment.
bool IsPeMode(SystemPort& system, StoragePort& storage);

// Normal mode: the letter of the Windows folder. PE mode: the first of A to W
// holding "\Windows\System32\ntdll.dll" (X, Y and Z belong to the environment).
std::optional<char> FindSystemLetter(bool peMode, SystemPort& system, FileSystem& files);

// Normal mode: IsWow64Process. PE mode: the installed system has SysWOW64\ntdll.dll.
bool Is64Bit(bool peMode, char systemLetter, SystemPort& system, FileSystem& files);

struct VersionFacts {
    int major = 0;
    int minor = 0;
    uint32_t productType = 0;
    std::optional<bool> is64;  // set in PE mode, where the version file decides it
};
// Normal mode: RtlGetNtVersionNumbers and, above 5.x, GetProductInfo.
// PE mode: the version resource of the installed system's ntdll.dll (the
// SysWOW64 one of a 64-bit system); the product type stays 0.
std::optional<VersionFacts> ReadVersion(bool peMode, const DiskInfo* systemDisk, int systemPartition,
                                        SystemPort& system, FileSystem& files);

}  // namespace qnb
