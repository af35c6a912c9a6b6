// The storage queries of the disk inventory, as narrow as the Win32 calls
// behind them: raw IOCTL answers go to the decoders in app/, so the decoding
// is the real code whether the answers come from Windows or the simulator.
#pragma once

#include "platform/bytes.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qnb {

namespace ioctl {
constexpr uint32_t kDiskUpdateProperties = 0x00070140;
constexpr uint32_t kStorageQueryProperty = 0x002D1400;
constexpr uint32_t kDiskGetDriveGeometryEx = 0x000700A0;
constexpr uint32_t kDiskGetDriveGeometry = 0x00070000;
constexpr uint32_t kDiskGetDriveLayoutEx = 0x00070050;
constexpr uint32_t kDiskGetDriveLayout = 0x0007400C;
constexpr uint32_t kStorageGetDeviceNumber = 0x002D1080;
}  // namespace ioctl

// How a device path is opened; each maps to one CreateFile flag set.
enum class DeviceOpen {
    ProbeDrive,  // read/write, write-through and no buffering: counting physical drives
    LoadDrive,   // read/write, attribute "system": loading one physical drive
    ReadWrite,   // read/write: volumes and drive letters
    ReadOnly,    // read only: the bus type of a volume
};

// An open device handle.
class Device {
public:
    virtual ~Device() = default;
    // DeviceIoControl with the given input; the bytes the device returned
    // (at most outputSize), or nothing when the call failed.
    virtual std::optional<Bytes> control(uint32_t code, const Bytes& input, size_t outputSize) = 0;
};

struct VolumeInformation {
    std::string label;       // UTF-8
    std::string fileSystem;  // "NTFS", "FAT32", ...
};

// GetDiskFreeSpace's four numbers.
struct ClusterSpace {
    uint32_t sectorsPerCluster = 0;
    uint32_t bytesPerSector = 0;
    uint32_t freeClusters = 0;
    uint32_t totalClusters = 0;
};

class StoragePort {
public:
    virtual ~StoragePort() = default;

    // CreateFile on a device path ("\\.\PhysicalDrive0", "\\?\Volume{...}", "\\.\C:").
    virtual std::unique_ptr<Device> open(const std::string& path, DeviceOpen mode) = 0;
    // Volume GUID paths as FindFirstVolume/FindNextVolume give them (trailing backslash).
    virtual std::vector<std::string> volumes() = 0;
    // GetVolumePathNamesForVolumeName: the mount points of a volume ("D:\", ...).
    virtual std::vector<std::string> volumePathNames(const std::string& volumeName) = 0;
    // GetVolumeInformation on a root ("C:\" or a volume GUID path with backslash).
    virtual std::optional<VolumeInformation> volumeInformation(const std::string& root) = 0;
    // GetDiskFreeSpaceEx: bytes available to the caller.
    virtual std::optional<uint64_t> freeBytesAvailable(const std::string& path) = 0;
    // GetDiskFreeSpace on a root.
    virtual std::optional<ClusterSpace> diskFreeSpace(const std::string& root) = 0;
    // GetLogicalDriveStrings: the raw answer ("C:\\0D:\\0"), as many characters as it returned.
    virtual std::string logicalDriveStrings() = 0;
    // GetDriveType on a root; 1 (DRIVE_NO_ROOT_DIR) for a letter that is not in use.
    virtual unsigned driveType(const std::string& root) = 0;
};

}  // namespace qnb
