#include "app/disk_inventory.h"

#include <cstdio>

namespace qnb {

DriveProbe FindDrives(StoragePort& storage) {
    DriveProbe probe;
    for (int n = 0; n < kMaxPhysicalDrives; ++n) {
        char path[32];
        std::snprintf(path, sizeof path, "\\\\.\\PhysicalDrive%d", n);
        if (storage.open(path, DeviceOpen::ProbeDrive)) {
            ++probe.count;
            probe.mask |= uint32_t{1} << n;
        }
    }
    return probe;
}

std::vector<DiskInfo> LoadInventory(StoragePort& storage) {
    DriveProbe probe = FindDrives(storage);
    std::vector<DiskInfo> disks;
    for (int n = 0; n < kMaxPhysicalDrives; ++n) {
        if (!(probe.mask & uint32_t{1} << n)) continue;
        DiskInfo& disk = disks.emplace_back();
        disk.Load(storage, n);
    }
    return disks;
}

uint32_t BusTypeOfVolume(StoragePort& storage, char letter) {
    char path[8];
    std::snprintf(path, sizeof path, "\\\\?\\%c:", letter);
    auto device = storage.open(path, DeviceOpen::ReadOnly);
    if (!device) return disk::kBusUnknown;
    auto answer = device->control(ioctl::kStorageQueryProperty, disk::PropertyQuery(disk::kDeviceProperty),
                                  disk::kDescriptorAnswerSize);
    auto descriptor = answer ? disk::DecodeDeviceDescriptor(*answer) : std::nullopt;
    return descriptor ? descriptor->busType : disk::kBusUnknown;
}

std::string UnusedDriveLetters(StoragePort& storage) {
    constexpr unsigned kDriveNoRootDir = 1;
    std::string letters;
    for (char c = 'C'; c <= 'Z'; ++c) {
        char root[4] = {c, ':', 0, 0};
        if (storage.driveType(root) == kDriveNoRootDir) letters += c;
    }
    return letters;
}

}  // namespace qnb
