#include "platform/win32/storage_win32.h"

#include "platform/disk_structures.h"
#include "platform/text.h"
#include "platform/win32/handles.h"

#include <winioctl.h>

#include <cstddef>

namespace qnb::win32 {

// The decoders read the answers at fixed offsets; they must be Windows' own,
// in the 32-bit and the 64-bit build alike.
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, VendorIdOffset) == 12);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, SerialNumberOffset) == 24);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) == 28);
static_assert(sizeof(DISK_GEOMETRY) == disk::kGeometryAnswerSize);
static_assert(sizeof(DISK_GEOMETRY_EX) == disk::kGeometryExAnswerSize);
static_assert(offsetof(DISK_GEOMETRY_EX, DiskSize) == 24);
static_assert(offsetof(DISK_GEOMETRY, BytesPerSector) == 20);
static_assert(sizeof(STORAGE_DEVICE_NUMBER) == disk::kDeviceNumberAnswerSize);
static_assert(offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry) == disk::kLayoutExHeaderSize);
static_assert(sizeof(PARTITION_INFORMATION_EX) == disk::kLayoutExEntrySize);
static_assert(offsetof(PARTITION_INFORMATION_EX, StartingOffset) == 8);
static_assert(offsetof(PARTITION_INFORMATION_EX, PartitionLength) == 16);
static_assert(offsetof(PARTITION_INFORMATION_EX, PartitionNumber) == 24);
static_assert(offsetof(PARTITION_INFORMATION_EX, Mbr) == 32);
static_assert(offsetof(PARTITION_INFORMATION_EX, Gpt) == 32);
static_assert(offsetof(PARTITION_INFORMATION_MBR, BootIndicator) == 1);
static_assert(sizeof(PARTITION_INFORMATION_GPT) == disk::kGptEntrySize);
static_assert(sizeof(DRIVE_LAYOUT_INFORMATION_GPT) == disk::kGptHeaderSize);
static_assert(offsetof(DRIVE_LAYOUT_INFORMATION, PartitionEntry) == disk::kLayoutHeaderSize);
static_assert(sizeof(PARTITION_INFORMATION) == disk::kLayoutEntrySize);
static_assert(offsetof(PARTITION_INFORMATION, PartitionNumber) == 20);
static_assert(offsetof(PARTITION_INFORMATION, PartitionType) == 24);
static_assert(offsetof(PARTITION_INFORMATION, BootIndicator) == 25);
static_assert(IOCTL_DISK_UPDATE_PROPERTIES == ioctl::kDiskUpdateProperties);
static_assert(IOCTL_STORAGE_QUERY_PROPERTY == ioctl::kStorageQueryProperty);
static_assert(IOCTL_DISK_GET_DRIVE_GEOMETRY_EX == ioctl::kDiskGetDriveGeometryEx);
static_assert(IOCTL_DISK_GET_DRIVE_GEOMETRY == ioctl::kDiskGetDriveGeometry);
static_assert(IOCTL_DISK_GET_DRIVE_LAYOUT_EX == ioctl::kDiskGetDriveLayoutEx);
static_assert(IOCTL_DISK_GET_DRIVE_LAYOUT == ioctl::kDiskGetDriveLayout);
static_assert(IOCTL_STORAGE_GET_DEVICE_NUMBER == ioctl::kStorageGetDeviceNumber);

namespace {

class Win32Device : public Device {
public:
    explicit Win32Device(UniqueFile handle) : handle_(std::move(handle)) {}

    std::optional<Bytes> control(uint32_t code, const Bytes& input, size_t outputSize) override {
        Bytes output(outputSize);
        DWORD returned = 0;
        BOOL ok = DeviceIoControl(handle_.get(), code, input.empty() ? nullptr : const_cast<uint8_t*>(input.data()),
                                  static_cast<DWORD>(input.size()), output.empty() ? nullptr : output.data(),
                                  static_cast<DWORD>(output.size()), &returned, nullptr);
        if (!ok) return std::nullopt;
        output.resize(std::min<size_t>(returned, output.size()));
        return output;
    }

private:
    UniqueFile handle_;
};

}  // namespace

std::unique_ptr<Device> Win32Storage::open(const std::string& path, DeviceOpen mode) {
    DWORD access = GENERIC_READ | GENERIC_WRITE;
    DWORD flags = 0;
    switch (mode) {
    case DeviceOpen::ProbeDrive: flags = FILE_FLAG_WRITE_THROUGH | FILE_FLAG_NO_BUFFERING; break;
    case DeviceOpen::LoadDrive: flags = FILE_ATTRIBUTE_SYSTEM; break;
    case DeviceOpen::ReadWrite: break;
    case DeviceOpen::ReadOnly: access = GENERIC_READ; break;
    }
    UniqueFile handle(CreateFileW(text::Wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, flags, nullptr));
    if (!handle) return nullptr;
    return std::make_unique<Win32Device>(std::move(handle));
}

std::vector<std::string> Win32Storage::volumes() {
    std::vector<std::string> names;
    wchar_t name[MAX_PATH + 1];
    UniqueFindVolume find(FindFirstVolumeW(name, MAX_PATH));
    if (!find) return names;
    do {
        names.push_back(text::Narrow(name));
    } while (FindNextVolumeW(find.get(), name, MAX_PATH));
    return names;
}

std::vector<std::string> Win32Storage::volumePathNames(const std::string& volumeName) {
    std::wstring buffer(MAX_PATH + 1, L'\0');
    DWORD length = 0;
    std::wstring wide = text::Wide(volumeName);
    if (!GetVolumePathNamesForVolumeNameW(wide.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()), &length)) {
        if (GetLastError() != ERROR_MORE_DATA) return {};
        buffer.assign(length, L'\0');
        if (!GetVolumePathNamesForVolumeNameW(wide.c_str(), buffer.data(), length, &length)) return {};
    }
    std::vector<std::string> paths;
    for (const wchar_t* p = buffer.c_str(); *p; p += wcslen(p) + 1) paths.push_back(text::Narrow(p));
    return paths;
}

std::optional<VolumeInformation> Win32Storage::volumeInformation(const std::string& root) {
    wchar_t label[MAX_PATH + 1] = {};
    wchar_t fileSystem[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(text::Wide(root).c_str(), label, MAX_PATH, nullptr, nullptr, nullptr, fileSystem,
                               MAX_PATH)) {
        return std::nullopt;
    }
    return VolumeInformation{text::Narrow(label), text::Narrow(fileSystem)};
}

std::optional<uint64_t> Win32Storage::freeBytesAvailable(const std::string& path) {
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(text::Wide(path).c_str(), &available, nullptr, nullptr)) return std::nullopt;
    return available.QuadPart;
}

std::optional<ClusterSpace> Win32Storage::diskFreeSpace(const std::string& root) {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceW(text::Wide(root).c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters)) {
        return std::nullopt;
    }
    return ClusterSpace{sectorsPerCluster, bytesPerSector, freeClusters, totalClusters};
}

std::string Win32Storage::logicalDriveStrings() {
    wchar_t buffer[256] = {};
    DWORD length = GetLogicalDriveStringsW(255, buffer);
    if (length == 0 || length > 255) return {};
    std::string answer;
    for (DWORD i = 0; i < length; ++i) answer += static_cast<char>(buffer[i] < 0x80 ? buffer[i] : '?');
    return answer;
}

unsigned Win32Storage::driveType(const std::string& root) { return GetDriveTypeW(text::Wide(root).c_str()); }

}  // namespace qnb::win32
