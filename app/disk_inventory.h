// The machine's physical disks as a whole, and the volume queries that do
// not belong to one disk.
#pragma once

#include "app/disk_info.h"
#include "platform/storage_port.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qnb {

constexpr int kMaxPhysicalDrives = 20;

struct DriveProbe {
    int count = 0;
    uint32_t mask = 0;  // bit N set when "\\.\PhysicalDriveN" opened
};
// Tries "\\.\PhysicalDrive0" to "\\.\PhysicalDrive19".
DriveProbe FindDrives(StoragePort& storage);

// One DiskInfo per drive found, in increasing drive number; a drive that
// opened during the count but fails to load stays in the list unloaded.
std::vector<DiskInfo> LoadInventory(StoragePort& storage);

// The storage bus type of the volume of a drive letter; 0 when anything fails.
uint32_t BusTypeOfVolume(StoragePort& storage, char letter);

// The letters C to Z, in order, that no drive uses.
std::string UnusedDriveLetters(StoragePort& storage);

}  // namespace qnb
