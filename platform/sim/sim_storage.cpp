#include "platform/sim/sim_storage.h"

#include "platform/ascii.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace qnb::sim {

namespace {

constexpr uint32_t kBytesPerSector = 512;
constexpr uint32_t kSectorsPerCluster = 8;
constexpr unsigned kDriveNoRootDir = 1;
constexpr unsigned kDriveFixed = 3;

disk::Geometry GeometryOf(uint64_t size) {
    disk::Geometry g;
    g.tracksPerCylinder = 255;
    g.sectorsPerTrack = 63;
    g.bytesPerSector = kBytesPerSector;
    g.cylinders = size / (uint64_t{255} * 63 * kBytesPerSector);
    return g;
}

disk::DriveLayout LayoutOf(const Disk& d) {
    disk::DriveLayout layout;
    layout.style = d.gpt ? disk::kStyleGpt : disk::kStyleMbr;
    layout.partitionCount = static_cast<uint32_t>(d.partitions.size());
    if (d.gpt) {
        ByteWriter header(disk::kGptHeaderSize);
        header.put32(0, 0x51D00000u + d.number);  // DiskId
        header.put64(16, 17408);                  // StartingUsableOffset
        header.put64(24, d.size > 34816 ? d.size - 34816 : 0);
        header.put32(32, 128);                    // MaxPartitionCount
        std::copy_n(header.bytes().begin(), disk::kGptHeaderSize, layout.gptHeader.begin());
    }
    for (size_t i = 0; i < d.partitions.size(); ++i) {
        const Partition& p = d.partitions[i];
        disk::LayoutEntry e;
        e.style = layout.style;
        e.start = p.start;
        e.length = p.length;
        e.number = p.number;
        e.mbrType = p.mbrType;
        e.bootIndicator = p.active ? 1 : 0;
        if (d.gpt) {
            ByteWriter gpt(disk::kGptEntrySize);
            gpt.putBytes(0, p.gptType.data(), p.gptType.size());
            gpt.put32(16, 0x9A000000u + d.number * 256 + static_cast<uint32_t>(i));  // PartitionId
            std::u16string name = text::Utf8ToUtf16(p.gptName);
            for (size_t k = 0; k < name.size() && k < 35; ++k) gpt.put16(40 + 2 * k, name[k]);
            std::copy_n(gpt.bytes().begin(), disk::kGptEntrySize, e.gpt.begin());
        }
        layout.entries.push_back(e);
    }
    return layout;
}

// A described physical drive, volume or drive letter.
class SimDevice : public Device {
public:
    SimDevice(const Disk* disk, const Partition* partition, uint32_t busType)
        : disk_(disk), partition_(partition), busType_(busType) {}

    std::optional<Bytes> control(uint32_t code, const Bytes& input, size_t outputSize) override {
        std::optional<Bytes> answer = Answer(code, input);
        if (answer && answer->size() > outputSize) {
            // A buffer too small for the answer: the call fails, as Windows' does.
            return std::nullopt;
        }
        return answer;
    }

private:
    std::optional<Bytes> Answer(uint32_t code, const Bytes& input) const {
        switch (code) {
        case ioctl::kStorageQueryProperty: {
            auto property = disk::QueriedProperty(input);
            if (property == disk::kDeviceProperty) {
                if (disk_ && !disk_->descriptor) return std::nullopt;
                disk::DeviceDescriptor d;
                d.busType = busType_;
                if (disk_) {
                    d.vendor = disk_->vendor;
                    d.product = disk_->product;
                    d.revision = disk_->revision;
                    d.serial = disk_->serial;
                }
                return disk::EncodeDeviceDescriptor(d);
            }
            if (property == disk::kSeekPenaltyProperty && disk_ && disk_->seekPenalty >= 0) {
                return disk::EncodeSeekPenalty(disk_->seekPenalty != 0);
            }
            return std::nullopt;
        }
        case ioctl::kStorageGetDeviceNumber:
            if (!disk_ || !partition_) return std::nullopt;
            return disk::EncodeDeviceNumber({disk::kFileDeviceDisk, static_cast<uint32_t>(disk_->number),
                                             partition_->number});
        }
        if (partition_ || !disk_) return std::nullopt;  // the disk queries below are for physical drives
        switch (code) {
        case ioctl::kDiskUpdateProperties:
            return Bytes{};
        case ioctl::kDiskGetDriveGeometryEx:
            if (!disk_->geometryEx) return std::nullopt;
            return disk::EncodeGeometryEx(GeometryOf(disk_->size), disk_->size);
        case ioctl::kDiskGetDriveGeometry:
            return disk::EncodeGeometry(GeometryOf(disk_->size));
        case ioctl::kDiskGetDriveLayoutEx:
            if (disk_->layout != LayoutAnswer::Both) return std::nullopt;
            return disk::EncodeDriveLayoutEx(LayoutOf(*disk_));
        case ioctl::kDiskGetDriveLayout:
            if (disk_->layout == LayoutAnswer::None || disk_->gpt) return std::nullopt;
            return disk::EncodeDriveLayout(LayoutOf(*disk_));
        }
        return std::nullopt;
    }

    const Disk* disk_;
    const Partition* partition_;
    uint32_t busType_;
};

}  // namespace

SimStorage::SimStorage(MachineDescription machine, StoragePort* fallback)
    : machine_(std::move(machine)), fallback_(fallback) {}

std::string SimStorage::VolumeName(const Disk& disk, size_t partitionIndex) {
    char name[64];
    std::snprintf(name, sizeof name, "\\\\?\\Volume{%08x-0000-4000-8000-%012zx}\\", disk.number, partitionIndex);
    return name;
}

char SimStorage::LetterOf(const std::string& path) {
    std::string p = path;
    if (p.rfind("\\\\.\\", 0) == 0 || p.rfind("\\\\?\\", 0) == 0) p = p.substr(4);
    if (p.size() >= 2 && p[1] == ':' && (p.size() == 2 || (p.size() == 3 && p[2] == '\\'))) {
        return ascii::ToUpper(p[0]);
    }
    return 0;
}

SimStorage::Located SimStorage::Find(const std::string& path) const {
    char letter = LetterOf(path);
    std::string withBackslash = paths::WithTrailingSeparator(path);
    for (const Disk& d : machine_.disks) {
        for (size_t i = 0; i < d.partitions.size(); ++i) {
            const Partition& p = d.partitions[i];
            if (!p.volume) continue;
            if (letter ? p.volume->letter == letter : VolumeName(d, i) == withBackslash) return {&d, &p};
        }
    }
    return {};
}

uint32_t SimStorage::BusTypeFor(const Disk& disk, char letter) const {
    const Windows* w = machine_.windows ? &*machine_.windows : nullptr;
    if (w && w->pe && letter && ascii::ToUpper(w->dir[0]) == letter) return disk::kBusVirtual;
    return disk.busType;
}

std::unique_ptr<Device> SimStorage::open(const std::string& path, DeviceOpen mode) {
    int number = -1;
    if (std::sscanf(path.c_str(), "\\\\.\\PhysicalDrive%d", &number) == 1) {
        for (const Disk& d : machine_.disks) {
            if (d.number != number) continue;
            if (mode == DeviceOpen::LoadDrive && !d.loads) return nullptr;
            return std::make_unique<SimDevice>(&d, nullptr, d.busType);
        }
        return nullptr;
    }
    Located found = Find(path);
    char letter = LetterOf(path);
    if (found.disk) return std::make_unique<SimDevice>(found.disk, found.partition, BusTypeFor(*found.disk, letter));
    // The preinstallation environment's own drive is no disk of the description.
    const Windows* w = machine_.windows ? &*machine_.windows : nullptr;
    if (w && w->pe && letter && ascii::ToUpper(w->dir[0]) == letter) {
        return std::make_unique<SimDevice>(nullptr, nullptr, disk::kBusVirtual);
    }
    // A letter the description does not list is on no simulated disk; the
    // real system's device answers (Wine's) must not be matched against them.
    return nullptr;
}

std::vector<std::string> SimStorage::volumes() {
    std::vector<std::string> names;
    for (const Disk& d : machine_.disks) {
        for (size_t i = 0; i < d.partitions.size(); ++i) {
            if (d.partitions[i].volume) names.push_back(VolumeName(d, i));
        }
    }
    return names;
}

std::vector<std::string> SimStorage::volumePathNames(const std::string& volumeName) {
    Located found = Find(volumeName);
    if (!found.partition || !found.partition->volume->letter) return {};
    return {std::string(1, found.partition->volume->letter) + ":\\"};
}

std::optional<VolumeInformation> SimStorage::volumeInformation(const std::string& root) {
    Located found = Find(root);
    if (found.partition) return VolumeInformation{found.partition->volume->label, found.partition->volume->fileSystem};
    if (LetterOf(root) && fallback_) return fallback_->volumeInformation(root);
    return std::nullopt;
}

std::optional<uint64_t> SimStorage::freeBytesAvailable(const std::string& path) {
    Located found = Find(path);
    if (found.partition) return found.partition->volume->free;
    if (LetterOf(path) && fallback_) return fallback_->freeBytesAvailable(path);
    return std::nullopt;
}

std::optional<ClusterSpace> SimStorage::diskFreeSpace(const std::string& root) {
    Located found = Find(root);
    if (found.partition) {
        constexpr uint64_t kCluster = uint64_t{kBytesPerSector} * kSectorsPerCluster;
        ClusterSpace space;
        space.sectorsPerCluster = kSectorsPerCluster;
        space.bytesPerSector = kBytesPerSector;
        space.freeClusters = static_cast<uint32_t>(std::min<uint64_t>(found.partition->volume->free / kCluster, UINT32_MAX));
        space.totalClusters = static_cast<uint32_t>(std::min<uint64_t>(found.partition->length / kCluster, UINT32_MAX));
        return space;
    }
    if (LetterOf(root) && fallback_) return fallback_->diskFreeSpace(root);
    return std::nullopt;
}

std::string SimStorage::logicalDriveStrings() {
    std::string letters;
    for (const Disk& d : machine_.disks) {
        for (const Partition& p : d.partitions) {
            if (p.volume && p.volume->letter) letters += p.volume->letter;
        }
    }
    if (machine_.windows && machine_.windows->pe) letters += ascii::ToUpper(machine_.windows->dir[0]);
    if (fallback_) {
        std::string real = fallback_->logicalDriveStrings();
        for (size_t i = 0; i + 1 < real.size(); i += 4) letters += real[i];
    }
    std::sort(letters.begin(), letters.end());
    letters.erase(std::unique(letters.begin(), letters.end()), letters.end());
    std::string answer;
    for (char c : letters) answer += std::string{c, ':', '\\', '\0'};
    return answer;
}

unsigned SimStorage::driveType(const std::string& root) {
    char letter = LetterOf(root);
    if (Find(root).partition) return kDriveFixed;
    if (machine_.windows && machine_.windows->pe && letter == ascii::ToUpper(machine_.windows->dir[0])) return kDriveFixed;
    if (letter && fallback_) return fallback_->driveType(root);
    return kDriveNoRootDir;
}

}  // namespace qnb::sim
