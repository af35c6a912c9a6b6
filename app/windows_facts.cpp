#include "app/windows_facts.h"

#include "app/disk_inventory.h"
#include "app/pe_version.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

namespace qnb {

namespace {

std::string NtdllPath(char letter, const char* folder) {
    char path[64];
    std::snprintf(path, sizeof path, "%c:\\Windows\\%s\\ntdll.dll", letter, folder);
    return path;
}

bool In(uint32_t code, std::initializer_list<uint32_t> codes) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

}  // namespace

std::string OsName(int major, int minor) {
    if (major == 5 && minor == 1) return "Windows XP";
    if (major == 6 && minor == 0) return "Windows Vista";
    if (major == 6 && minor == 1) return "Windows 7";
    if (major == 6 && minor == 2) return "Windows 8";
    if (major == 6 && minor == 3) return "Windows 8.1";
    if (major == 6 && minor == 4) return "Windows 10 预览版";
    if (major == 10 && minor == 0) return "Windows 10";
    return "未知操作系统";
}

int OsTypeCode(int major, int minor, bool is64) {
    if (major == 5 && minor == 1) return 1;
    if (major == 6 && minor == 1) return is64 ? 4 : 2;
    if (major == 6 && (minor == 2 || minor == 3)) return is64 ? 16 : 8;
    if ((major == 6 && minor == 4) || (major == 10 && minor == 0)) return is64 ? 64 : 32;
    return 0;
}

std::string EditionName(uint32_t code) {
    if (In(code, {1, 28, 71})) return "旗舰版";
    if (In(code, {2, 3, 5, 19, 26, 34, 67, 68, 98, 99, 100, 101})) return "家庭版";
    if (In(code, {4, 27, 70, 72, 84, 125, 126, 129, 130})) return "企业版";
    if (In(code, {11, 47, 66})) return "初级版";
    if (In(code, {48, 49, 69, 103})) return "专业版";
    if (In(code, {121, 122})) return "教育版";
    return "";
}

bool IsPeMode(SystemPort& system, StoragePort& storage) {
    auto windows = system.windowsDirectory();
    uint32_t bus = windows && !windows->empty() ? BusTypeOfVolume(storage, (*windows)[0]) : disk::kBusUnknown;
    return bus == disk::kBusVirtual || bus == disk::kBusUnknown;
}

std::optional<char> FindSystemLetter(bool peMode, SystemPort& system, FileSystem& files) {
    if (!peMode) {
        auto windows = system.windowsDirectory();
        if (!windows || windows->empty()) return std::nullopt;
        return (*windows)[0];
    }
    for (char letter = 'A'; letter <= 'W'; ++letter) {
        if (files.access(NtdllPath(letter, "System32"), FileSystem::kExists)) return letter;
    }
    return std::nullopt;
}

bool Is64Bit(bool peMode, char systemLetter, SystemPort& system, FileSystem& files) {
    if (!peMode) return system.isWow64Process().value_or(false);
    if (systemLetter == kUnknownLetter || !files.access(NtdllPath(systemLetter, "System32"), FileSystem::kExists)) {
        return false;
    }
    return files.access(NtdllPath(systemLetter, "SysWOW64"), FileSystem::kExists);
}

std::optional<VersionFacts> ReadVersion(bool peMode, const DiskInfo* systemDisk, int systemPartition,
                                        SystemPort& system, FileSystem& files) {
    VersionFacts facts;
    if (!peMode) {
        auto version = system.ntVersionNumbers();
        if (!version) return std::nullopt;
        facts.major = static_cast<int>(version->major);
        facts.minor = static_cast<int>(version->minor);
        if (facts.major > 5) facts.productType = system.productInfo(version->major, version->minor).value_or(0);
        return facts;
    }
    if (!systemDisk || systemPartition < 0) return std::nullopt;
    char letter = systemDisk->LetterOfPartitionNumber(static_cast<uint32_t>(systemPartition));
    if (letter == 0) return std::nullopt;
    std::string path = NtdllPath(letter, "SysWOW64");
    facts.is64 = true;
    if (!files.access(path, FileSystem::kExists)) {
        facts.is64 = false;
        path = NtdllPath(letter, "System32");
    }
    auto bytes = files.readFile(path);
    auto version = bytes ? ReadPeFileVersion(ByteView(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()))
                         : std::nullopt;
    if (!version) return std::nullopt;
    facts.major = version->major;
    facts.minor = version->minor;
    return facts;
}

}  // namespace qnb
