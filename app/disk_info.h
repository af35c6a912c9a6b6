// One physical disk of the inventory and its partitions: loaded from the
// storage queries, then matched with volumes and drive letters.
#pragma once

#include "platform/disk_structures.h"
#include "platform/file_system.h"
#include "platform/storage_port.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qnb {

constexpr uint64_t kGiB = uint64_t{1} << 30;

// GPT partition kinds, by partition type GUID.
enum GptKind : int32_t {
    kGptUnused = 0,     // {00000000-...} and every type not listed here
    kGptEfiSystem = 1,  // {C12A7328-F81F-11D2-BA4B-00A0C93EC93B}
    kGptMsReserved = 2, // {E3C9E316-0B5C-4DB8-817D-F92DF00215AE}
    kGptRecovery = 3,   // {DE94BBA4-06D1-4D40-A16A-BFD50179D6AC}
    kGptBasicData = 4,  // {EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}
    kGptLdmMetadata = 5,// {5808C8AA-7E8F-42E0-85D2-E1E90434CFB3}
    kGptLdmData = 6,    // {AF9B60A0-1431-4F62-BC68-3311714A69AD}
};
int32_t GptKindOf(const disk::Guid& partitionType);

// One partition; a flat record handed out by value.
struct PartitionInfo {
    char letter = 0;            // 0 when the volume has none
    std::string label;          // volume label, UTF-8
    std::string fileSystem;     // "NTFS", "FAT32", ...
    std::string volumeName;     // "\\?\Volume{...}" without the trailing backslash
    uint64_t length = 0;
    uint64_t free = 0;          // bytes available to the caller; 0 when unknown
    uint32_t number = 0;        // as Windows numbers it (matches the volume's device number)
    bool active = false;        // MBR boot indicator
    bool logical = false;       // inside the MBR extended partition
    uint8_t mbrType = 0;
    int32_t gptKind = kGptUnused;
    std::array<uint8_t, disk::kGptEntrySize> gptEntry{};  // type GUID, partition GUID, attributes, name
    uint64_t start = 0;
};

// One physical disk ("\\.\PhysicalDrive%d").
struct DiskInfo {
    int32_t driveNumber = -1;   // -1 until loaded
    bool noPartitions = false;  // no usable partition in the layout: no volume matching
    bool fileBackedVirtual = false;
    int32_t seekPenalty = -1;   // 1 rotational, 0 not, -1 unknown
    uint64_t size = 0;
    std::vector<PartitionInfo> partitions;
    uint32_t busType = 0;       // 0 when the descriptor query failed
    uint32_t partitionStyle = disk::kStyleMbr;
    std::array<uint8_t, disk::kGptHeaderSize> gptHeader{};
    std::string product, serial, vendor, revision;
    std::string model;          // vendor + " " + product, or product alone

    // Reads drive N. False when it cannot be opened, when both layout queries
    // fail, or when the record is already loaded and force is false.
    bool Load(StoragePort& storage, int number, bool force = false);
    bool IsLoaded() const { return driveNumber >= 0; }

    int PartitionCount() const { return static_cast<int>(partitions.size()); }
    bool IsUsb() const { return busType == disk::kBusUsb; }
    // A copy of partition `index`, or an all-zero record outside the range.
    PartitionInfo Partition(int index) const;
    // The letter of the first partition numbered n, or 0.
    char LetterOfPartitionNumber(uint32_t n) const;
    bool HasLetter(char letter) const;
    // MBR: the first active partition; GPT: the first EFI system partition.
    // Never for USB disks, file-backed virtual disks or disks without partitions.
    std::optional<PartitionInfo> BootPartition() const;
    // The partition most likely to hold Windows; returns how many partitions
    // with a Windows folder were seen (or 1 for a fallback), 0 when none.
    int WindowsPartition(FileSystem& files, PartitionInfo* found) const;
    // MBR: the inactive partition with most free space; GPT: the basic-data
    // partition with most free space; an all-zero record when none.
    PartitionInfo LargestDataPartition() const;

    // The layout rules, applied to a decoded answer (used by Load).
    void ApplyLayout(const disk::DriveLayout& layout);
    // The descriptor rules, applied to a decoded answer (used by Load).
    void ApplyDescriptor(const disk::DeviceDescriptor& descriptor);
    void MatchVolumes(StoragePort& storage);
    void MatchDriveLetters(StoragePort& storage);

private:
    void ApplyMbrEntries(const std::vector<disk::LayoutEntry>& entries);
};

}  // namespace qnb
