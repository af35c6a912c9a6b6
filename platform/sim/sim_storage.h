// Storage queries answered from a machine description, as raw IOCTL answers
// so that the inventory decodes them with its real code. For letters that
// the description does not list, the volume queries (free space, label,
// drive type) go to the fallback (the real system under Wine) when there is
// one; their devices are on no simulated disk and do not open.
#pragma once

#include "platform/sim/machine_description.h"
#include "platform/storage_port.h"

namespace qnb::sim {

class SimStorage : public StoragePort {
public:
    explicit SimStorage(MachineDescription machine, StoragePort* fallback = nullptr);

    std::unique_ptr<Device> open(const std::string& path, DeviceOpen mode) override;
    std::vector<std::string> volumes() override;
    std::vector<std::string> volumePathNames(const std::string& volumeName) override;
    std::optional<VolumeInformation> volumeInformation(const std::string& root) override;
    std::optional<uint64_t> freeBytesAvailable(const std::string& path) override;
    std::optional<ClusterSpace> diskFreeSpace(const std::string& root) override;
    std::string logicalDriveStrings() override;
    unsigned driveType(const std::string& root) override;

    // The volume GUID path of a partition (with the trailing backslash).
    static std::string VolumeName(const Disk& disk, size_t partitionIndex);

private:
    struct Located {
        const Disk* disk = nullptr;
        const Partition* partition = nullptr;
    };
    // The described volume behind "D:", "D:\", "\\.\D:", "\\?\D:" or a volume GUID path.
    Located Find(const std::string& path) const;
    // The drive letter a path names, or 0.
    static char LetterOf(const std::string& path);
    uint32_t BusTypeFor(const Disk& disk, char letter) const;

    MachineDescription machine_;
    StoragePort* fallback_;
};

}  // namespace qnb::sim
