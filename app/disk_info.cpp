#include "app/disk_info.h"

#include "platform/paths.h"

#include <algorithm>
#include <cstdio>

namespace qnb {

namespace {

bool IsExtended(uint8_t type) { return type == 5 || type == 15; }

std::optional<disk::DeviceNumber> QueryDeviceNumber(StoragePort& storage, const std::string& path) {
    auto device = storage.open(path, DeviceOpen::ReadWrite);
    if (!device) return std::nullopt;
    auto answer = device->control(ioctl::kStorageGetDeviceNumber, {}, disk::kDeviceNumberAnswerSize);
    if (!answer) return std::nullopt;
    return disk::DecodeDeviceNumber(*answer);
}

}  // namespace

int32_t GptKindOf(const disk::Guid& type) {
    static const char* const kTypes[] = {
        "{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}", "{E3C9E316-0B5C-4DB8-817D-F92DF00215AE}",
        "{DE94BBA4-06D1-4D40-A16A-BFD50179D6AC}", "{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}",
        "{5808C8AA-7E8F-42E0-85D2-E1E90434CFB3}", "{AF9B60A0-1431-4F62-BC68-3311714A69AD}",
    };
    for (int i = 0; i < 6; ++i) {
        if (disk::ParseGuid(kTypes[i]) == type) return i + 1;
    }
    return kGptUnused;
}

bool DiskInfo::Load(StoragePort& storage, int number, bool force) {
    if (IsLoaded() && !force) return false;
    *this = DiskInfo{};

    char path[32];
    std::snprintf(path, sizeof path, "\\\\.\\PhysicalDrive%d", number);
    auto device = storage.open(path, DeviceOpen::LoadDrive);
    if (!device) return false;

    device->control(ioctl::kDiskUpdateProperties, {}, 0);  // makes Windows re-read the partition table

    auto descriptor = device->control(ioctl::kStorageQueryProperty, disk::PropertyQuery(disk::kDeviceProperty),
                                      disk::kDescriptorAnswerSize);
    if (auto decoded = descriptor ? disk::DecodeDeviceDescriptor(*descriptor) : std::nullopt) {
        ApplyDescriptor(*decoded);
    }

    if (auto ex = device->control(ioctl::kDiskGetDriveGeometryEx, {}, disk::kGeometryExAnswerSize)) {
        size = disk::DecodeGeometryExSize(*ex).value_or(0);
    } else if (auto old = device->control(ioctl::kDiskGetDriveGeometry, {}, disk::kGeometryAnswerSize)) {
        size = disk::DecodeGeometrySize(*old).value_or(0);
    }

    auto penalty = device->control(ioctl::kStorageQueryProperty, disk::PropertyQuery(disk::kSeekPenaltyProperty),
                                   disk::kSeekPenaltyAnswerSize);
    auto incurs = penalty ? disk::DecodeSeekPenalty(*penalty) : std::nullopt;
    seekPenalty = incurs ? (*incurs ? 1 : 0) : -1;

    std::optional<disk::DriveLayout> layout;
    if (auto ex = device->control(ioctl::kDiskGetDriveLayoutEx, {}, disk::kLayoutExAnswerSize)) {
        layout = disk::DecodeDriveLayoutEx(*ex);
    }
    if (!layout) {
        if (auto old = device->control(ioctl::kDiskGetDriveLayout, {}, disk::kLayoutAnswerSize)) {
            layout = disk::DecodeDriveLayout(*old);
        }
    }
    if (!layout) return false;
    ApplyLayout(*layout);
    driveNumber = number;

    if (!noPartitions) {
        MatchVolumes(storage);
        MatchDriveLetters(storage);
    }
    return true;
}

void DiskInfo::ApplyDescriptor(const disk::DeviceDescriptor& d) {
    busType = d.busType;
    vendor = d.vendor.value_or("");
    product = d.product.value_or("");
    revision = d.revision.value_or("");
    serial = d.serial.value_or("");
    model = vendor.empty() ? product : vendor + " " + product;
    fileBackedVirtual = busType == disk::kBusFileBackedVirtual;
}

void DiskInfo::ApplyLayout(const disk::DriveLayout& layout) {
    partitionStyle = layout.style;
    if (layout.partitionCount == 0) noPartitions = true;
    if (layout.style == disk::kStyleMbr) {
        ApplyMbrEntries(layout.entries);
    } else if (layout.style == disk::kStyleGpt) {
        gptHeader = layout.gptHeader;
        for (const disk::LayoutEntry& e : layout.entries) {
            PartitionInfo p;
            p.length = e.length;
            p.number = e.number;
            p.gptEntry = e.gpt;
            disk::Guid type;
            std::copy_n(e.gpt.begin(), type.size(), type.begin());
            p.gptKind = GptKindOf(type);
            p.start = e.start;
            partitions.push_back(p);
        }
    }
}

void DiskInfo::ApplyMbrEntries(const std::vector<disk::LayoutEntry>& entries) {
    bool anyUsable = std::any_of(entries.begin(), entries.end(), [](const disk::LayoutEntry& e) {
        return e.mbrType != 0 && !IsExtended(e.mbrType);
    });
    if (!anyUsable) {
        noPartitions = true;
        return;
    }
    // The extended container's remaining space: partitions that fit in it lie inside it.
    uint64_t extendedSpace = 0;
    for (const disk::LayoutEntry& e : entries) {
        if (e.mbrType == 0) continue;
        if (IsExtended(e.mbrType)) {
            extendedSpace = e.length;
            continue;
        }
        PartitionInfo p;
        p.length = e.length;
        p.number = e.number;
        p.active = e.bootIndicator == 1;
        p.start = e.start;
        p.mbrType = e.mbrType;
        if (extendedSpace > e.length) {
            p.logical = true;
            extendedSpace -= e.length;
        }
        partitions.push_back(p);
    }
}

void DiskInfo::MatchVolumes(StoragePort& storage) {
    for (const std::string& withBackslash : storage.volumes()) {
        std::string name(paths::WithoutTrailingSeparator(withBackslash));
        auto number = QueryDeviceNumber(storage, name);
        if (!number || static_cast<int32_t>(number->deviceNumber) != driveNumber) continue;
        for (PartitionInfo& p : partitions) {
            if (p.number != number->partitionNumber) continue;
            p.free = storage.freeBytesAvailable(withBackslash).value_or(0);
            p.volumeName = name;
            VolumeInformation info = storage.volumeInformation(withBackslash).value_or(VolumeInformation{});
            p.label = info.label;
            p.fileSystem = info.fileSystem;
            // Only a drive root gives the letter: a volume mounted in a folder
            // ("C:\mnt\") does not carry the letter of the drive that holds the folder.
            std::vector<std::string> paths = storage.volumePathNames(withBackslash);
            p.letter = 0;
            if (!paths.empty() && paths[0].size() == 3 && paths[0][1] == ':' && paths[0][2] == '\\') {
                p.letter = paths[0][0];
            }
        }
    }
}

void DiskInfo::MatchDriveLetters(StoragePort& storage) {
    std::string drives = storage.logicalDriveStrings();
    size_t count = drives.size() / 4;
    // The preinstallation environment's own RAM drive alone.
    if (count == 1 && (drives[0] == 'X' || drives[0] == 'Y')) return;
    for (size_t i = 0; i < count; ++i) {
        std::string root = drives.substr(i * 4, 3);
        char letter = root[0];
        char device[8];
        std::snprintf(device, sizeof device, "\\\\.\\%c:", letter);
        auto number = QueryDeviceNumber(storage, device);
        if (!number || static_cast<int32_t>(number->deviceNumber) != driveNumber) continue;
        for (PartitionInfo& p : partitions) {
            if (p.number != number->partitionNumber) continue;
            p.letter = letter;
            p.free = storage.freeBytesAvailable(root).value_or(0);
            VolumeInformation info = storage.volumeInformation(root).value_or(VolumeInformation{});
            p.label = info.label;
            p.fileSystem = info.fileSystem;
        }
    }
}

PartitionInfo DiskInfo::Partition(int index) const {
    if (index < 0 || index >= PartitionCount()) return {};
    return partitions[index];
}

char DiskInfo::LetterOfPartitionNumber(uint32_t n) const {
    for (const PartitionInfo& p : partitions) {
        if (p.number == n) return p.letter;
    }
    return 0;
}

bool DiskInfo::HasLetter(char letter) const {
    return letter != 0 && std::any_of(partitions.begin(), partitions.end(),
                                      [&](const PartitionInfo& p) { return p.letter == letter; });
}

std::optional<PartitionInfo> DiskInfo::BootPartition() const {
    if (IsUsb() || noPartitions || fileBackedVirtual) return std::nullopt;
    for (const PartitionInfo& p : partitions) {
        if (partitionStyle == disk::kStyleMbr ? p.active : p.gptKind == kGptEfiSystem) return p;
    }
    return std::nullopt;
}

int DiskInfo::WindowsPartition(FileSystem& files, PartitionInfo* found) const {
    if (IsUsb() || noPartitions || fileBackedVirtual) return 0;
    const auto hasWindows = [&](const PartitionInfo& p) {
        if (p.letter == 0) return false;
        char path[32];
        std::snprintf(path, sizeof path, "%c:\\Windows\\system32\\config", p.letter);
        return files.access(path, FileSystem::kExists);
    };
    const bool gpt = partitionStyle == disk::kStyleGpt;
    int count = 0;
    std::optional<PartitionInfo> fallback;
    for (const PartitionInfo& p : partitions) {
        if (gpt && p.gptKind != kGptBasicData) continue;
        bool windows = hasWindows(p);
        if (!gpt && p.active && (windows || p.length >= 10 * kGiB)) {
            *found = p;
            return 1;
        }
        if (windows && (gpt || !p.active)) {
            ++count;
            *found = p;
        } else if (!fallback && !p.logical && p.length >= 10 * kGiB) {
            fallback = p;
        }
    }
    if (count > 0) return count;
    if (fallback) {
        *found = *fallback;
        return 1;
    }
    return 0;
}

PartitionInfo DiskInfo::LargestDataPartition() const {
    const PartitionInfo* best = nullptr;
    for (const PartitionInfo& p : partitions) {
        bool candidate = partitionStyle == disk::kStyleGpt ? p.gptKind == kGptBasicData : !p.active;
        if (candidate && (!best || p.free > best->free)) best = &p;
    }
    return best ? *best : PartitionInfo{};
}

}  // namespace qnb
