// The storage queries on Windows: CreateFile, DeviceIoControl and the
// volume functions.
#pragma once

#include "platform/storage_port.h"

namespace qnb::win32 {

class Win32Storage : public StoragePort {
public:
    std::unique_ptr<Device> open(const std::string& path, DeviceOpen mode) override;
    std::vector<std::string> volumes() override;
    std::vector<std::string> volumePathNames(const std::string& volumeName) override;
    std::optional<VolumeInformation> volumeInformation(const std::string& root) override;
    std::optional<uint64_t> freeBytesAvailable(const std::string& path) override;
    std::optional<ClusterSpace> diskFreeSpace(const std::string& root) override;
    std::string logicalDriveStrings() override;
    unsigned driveType(const std::string& root) override;
};

}  // namespace qnb::win32
