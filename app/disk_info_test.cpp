#include "app/disk_info.h"

#include "app/disk_inventory.h"
#include "app/test_support/machine_fixture.h"

#include <gtest/gtest.h>

namespace qnb {
namespace {

using test::MachineFixture;
using test::MachineJson;

disk::LayoutEntry Mbr(uint32_t number, uint8_t type, uint64_t start, uint64_t length, bool active = false) {
    disk::LayoutEntry e;
    e.number = number;
    e.mbrType = type;
    e.start = start;
    e.length = length;
    e.bootIndicator = active ? 1 : 0;
    return e;
}

disk::LayoutEntry Gpt(uint32_t number, const char* type, uint64_t length) {
    disk::LayoutEntry e;
    e.style = disk::kStyleGpt;
    e.number = number;
    e.length = length;
    auto guid = disk::ParseGuid(type);
    std::copy(guid->begin(), guid->end(), e.gpt.begin());
    return e;
}

DiskInfo FromLayout(uint32_t style, std::vector<disk::LayoutEntry> entries) {
    disk::DriveLayout layout;
    layout.style = style;
    layout.partitionCount = static_cast<uint32_t>(entries.size());
    layout.entries = std::move(entries);
    DiskInfo d;
    d.ApplyLayout(layout);
    return d;
}

TEST(MbrWalk, ExtendedPartitionHoldingTwoLogicals) {
    // As Windows reports it: the extended container, then each logical drive
    // followed by the link to the next one.
    DiskInfo d = FromLayout(disk::kStyleMbr, {
        Mbr(0, 15, 1 << 20, 300 * kGiB),
        Mbr(5, 7, 2 << 20, 100 * kGiB),
        Mbr(6, 7, 100 * kGiB + (3 << 20), 150 * kGiB),
    });
    ASSERT_EQ(d.PartitionCount(), 2);
    EXPECT_TRUE(d.partitions[0].logical);
    EXPECT_TRUE(d.partitions[1].logical);
    EXPECT_EQ(d.partitions[0].number, 5u);
    EXPECT_EQ(d.partitions[1].number, 6u);
    EXPECT_FALSE(d.noPartitions);
}

TEST(MbrWalk, PrimaryBeforeTheExtendedIsNeverLogical) {
    DiskInfo d = FromLayout(disk::kStyleMbr, {
        Mbr(1, 7, 1 << 20, 50 * kGiB, true),
        Mbr(0, 0, 0, 0),
        Mbr(0, 5, 50 * kGiB, 400 * kGiB),
        Mbr(5, 7, 51 * kGiB, 100 * kGiB),
    });
    ASSERT_EQ(d.PartitionCount(), 2);
    EXPECT_FALSE(d.partitions[0].logical);
    EXPECT_TRUE(d.partitions[0].active);
    EXPECT_TRUE(d.partitions[1].logical);
}

TEST(MbrWalk, OnlyContainersOrEmptyEntriesMeanNoPartitions) {
    EXPECT_TRUE(FromLayout(disk::kStyleMbr, {Mbr(0, 15, 0, kGiB), Mbr(0, 0, 0, 0)}).noPartitions);
    EXPECT_TRUE(FromLayout(disk::kStyleMbr, {}).noPartitions);
    EXPECT_TRUE(FromLayout(disk::kStyleGpt, {}).noPartitions);
    EXPECT_EQ(FromLayout(2 /* RAW */, {Mbr(1, 7, 0, kGiB)}).PartitionCount(), 0);
}

TEST(GptWalk, KindsFromTheTypeGuid) {
    struct Case { const char* type; int32_t kind; };
    const Case cases[] = {
        {"{00000000-0000-0000-0000-000000000000}", kGptUnused},
        {"{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}", kGptEfiSystem},
        {"{E3C9E316-0B5C-4DB8-817D-F92DF00215AE}", kGptMsReserved},
        {"{DE94BBA4-06D1-4D40-A16A-BFD50179D6AC}", kGptRecovery},
        {"{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}", kGptBasicData},
        {"{5808C8AA-7E8F-42E0-85D2-E1E90434CFB3}", kGptLdmMetadata},
        {"{AF9B60A0-1431-4F62-BC68-3311714A69AD}", kGptLdmData},
        {"{0FC63DAF-8483-4772-8E79-3D69D8477DE4}", kGptUnused},  // a Linux file system
    };
    for (const Case& c : cases) {
        DiskInfo d = FromLayout(disk::kStyleGpt, {Gpt(1, c.type, kGiB)});
        ASSERT_EQ(d.PartitionCount(), 1);
        EXPECT_EQ(d.partitions[0].gptKind, c.kind) << c.type;
        EXPECT_EQ(d.partitions[0].gptEntry[0], disk::ParseGuid(c.type)->at(0));
    }
}

TEST(DiskQueries, PartitionOutsideTheRangeIsAllZero) {
    DiskInfo d = FromLayout(disk::kStyleMbr, {Mbr(1, 7, 1 << 20, kGiB)});
    EXPECT_EQ(d.Partition(0).number, 1u);
    for (int index : {-1, 1, 100}) {
        PartitionInfo p = d.Partition(index);
        EXPECT_EQ(p.number, 0u);
        EXPECT_EQ(p.length, 0u);
        EXPECT_EQ(p.letter, 0);
    }
}

// Partitions with letters and free space, as the volume passes leave them.
DiskInfo Disk(uint32_t style, std::vector<PartitionInfo> partitions, uint32_t bus = 11) {
    DiskInfo d;
    d.driveNumber = 0;
    d.partitionStyle = style;
    d.busType = bus;
    d.fileBackedVirtual = bus == disk::kBusFileBackedVirtual;
    d.partitions = std::move(partitions);
    return d;
}

PartitionInfo P(uint32_t number, char letter, uint64_t length, uint64_t free, bool active = false,
                int32_t kind = kGptUnused, bool logical = false) {
    PartitionInfo p;
    p.number = number;
    p.letter = letter;
    p.length = length;
    p.free = free;
    p.active = active;
    p.gptKind = kind;
    p.logical = logical;
    return p;
}

TEST(DiskQueries, LargestDataPartition) {
    DiskInfo mbr = Disk(disk::kStyleMbr, {P(1, 'C', 100 * kGiB, 90 * kGiB, true), P(2, 'D', 10 * kGiB, 5 * kGiB),
                                          P(3, 'E', 10 * kGiB, 8 * kGiB), P(4, 'F', 10 * kGiB, 8 * kGiB)});
    EXPECT_EQ(mbr.LargestDataPartition().letter, 'E');  // the active one is no data partition; ties keep the first

    DiskInfo gpt = Disk(disk::kStyleGpt, {P(1, 'S', kGiB, 900 * kGiB, false, kGptEfiSystem),
                                          P(2, 'C', 100 * kGiB, 20 * kGiB, false, kGptBasicData),
                                          P(3, 'D', 100 * kGiB, 60 * kGiB, false, kGptBasicData)});
    EXPECT_EQ(gpt.LargestDataPartition().letter, 'D');

    DiskInfo none = Disk(disk::kStyleMbr, {P(1, 'C', kGiB, kGiB, true)});
    EXPECT_EQ(none.LargestDataPartition().number, 0u);
}

TEST(DiskQueries, BootPartitionNeverOnUsbOrVirtualDisks) {
    std::vector<PartitionInfo> mbrParts = {P(1, 'C', kGiB, 0), P(2, 'D', kGiB, 0, true)};
    EXPECT_EQ(Disk(disk::kStyleMbr, mbrParts).BootPartition()->letter, 'D');
    EXPECT_FALSE(Disk(disk::kStyleMbr, mbrParts, disk::kBusUsb).BootPartition());
    EXPECT_FALSE(Disk(disk::kStyleMbr, mbrParts, disk::kBusFileBackedVirtual).BootPartition());
    DiskInfo gpt = Disk(disk::kStyleGpt, {P(1, 0, kGiB, 0, false, kGptMsReserved), P(2, 0, kGiB, 0, false, kGptEfiSystem)});
    EXPECT_EQ(gpt.BootPartition()->number, 2u);
    DiskInfo empty = Disk(disk::kStyleMbr, mbrParts);
    empty.noPartitions = true;
    EXPECT_FALSE(empty.BootPartition());
}

class WindowsPartitionTest : public ::testing::Test {
protected:
    WindowsPartitionTest() : machine_(R"({"disks": []})") {
        for (char c : std::string("CDEFGH")) machine_.AddDrive(c);
    }
    void InstallWindows(char letter) {
        machine_.MakeFolders(std::string(1, letter) + ":\\Windows\\system32\\config");
    }
    int Find(const DiskInfo& d, PartitionInfo* found) { return d.WindowsPartition(machine_.files(), found); }
    MachineFixture machine_;
};

TEST_F(WindowsPartitionTest, MbrRules) {
    PartitionInfo found;
    // An active partition with Windows answers at once.
    InstallWindows('D');
    InstallWindows('E');
    EXPECT_EQ(Find(Disk(disk::kStyleMbr, {P(1, 'C', kGiB, 0), P(2, 'D', kGiB, 0, true), P(3, 'E', kGiB, 0)}), &found), 1);
    EXPECT_EQ(found.letter, 'D');
    // An active partition of 10 GiB or more answers even without Windows.
    EXPECT_EQ(Find(Disk(disk::kStyleMbr, {P(1, 'F', 10 * kGiB, 0, true), P(2, 'D', kGiB, 0)}), &found), 1);
    EXPECT_EQ(found.letter, 'F');
    // Inactive partitions with Windows are counted; the last one is the answer.
    EXPECT_EQ(Find(Disk(disk::kStyleMbr, {P(1, 'D', kGiB, 0), P(2, 'F', 5 * kGiB, 0, true), P(3, 'E', kGiB, 0)}), &found), 2);
    EXPECT_EQ(found.letter, 'E');
    // Without Windows: the first primary partition of 10 GiB or more.
    EXPECT_EQ(Find(Disk(disk::kStyleMbr, {P(5, 'G', 50 * kGiB, 0, false, 0, true), P(1, 'H', 20 * kGiB, 0),
                                          P(2, 'F', 30 * kGiB, 0)}), &found), 1);
    EXPECT_EQ(found.letter, 'H');
    // Nothing at all.
    EXPECT_EQ(Find(Disk(disk::kStyleMbr, {P(1, 'F', kGiB, 0), P(2, 0, 90 * kGiB, 0, false, 0, true)}), &found), 0);
}

TEST_F(WindowsPartitionTest, GptLooksAtBasicDataOnly) {
    PartitionInfo found;
    InstallWindows('C');
    InstallWindows('E');
    DiskInfo d = Disk(disk::kStyleGpt, {P(1, 'C', 50 * kGiB, 0, false, kGptRecovery), P(2, 'D', 50 * kGiB, 0, false, kGptBasicData),
                                        P(3, 'E', 50 * kGiB, 0, false, kGptBasicData)});
    EXPECT_EQ(Find(d, &found), 1);
    EXPECT_EQ(found.letter, 'E');
    DiskInfo fallback = Disk(disk::kStyleGpt, {P(1, 'F', 50 * kGiB, 0, false, kGptMsReserved), P(2, 'G', 5 * kGiB, 0, false, kGptBasicData),
                                               P(3, 'H', 20 * kGiB, 0, false, kGptBasicData)});
    EXPECT_EQ(Find(fallback, &found), 1);
    EXPECT_EQ(found.letter, 'H');
}

TEST_F(WindowsPartitionTest, NeverOnUsbOrVirtualDisks) {
    PartitionInfo found;
    InstallWindows('D');
    for (uint32_t bus : {disk::kBusUsb, disk::kBusFileBackedVirtual}) {
        EXPECT_EQ(Find(Disk(disk::kStyleMbr, {P(1, 'D', 50 * kGiB, 0, true)}, bus), &found), 0) << bus;
    }
}

// Loading through the simulator: raw answers decoded by the real code.
TEST(DiskLoad, SampleMachine) {
    MachineFixture machine(MachineJson("sample"));
    std::vector<DiskInfo> disks = LoadInventory(machine.storage());
    ASSERT_EQ(disks.size(), 1u);
    const DiskInfo& d = disks[0];
    EXPECT_TRUE(d.IsLoaded());
    EXPECT_EQ(d.busType, 11u);
    EXPECT_EQ(d.model, "ATA ST1000");
    EXPECT_EQ(d.serial, "Z1");
    EXPECT_EQ(d.revision, "CC43");
    EXPECT_EQ(d.size, 1000204886016u);
    EXPECT_EQ(d.seekPenalty, 1);
    ASSERT_EQ(d.PartitionCount(), 2);
    EXPECT_EQ(d.partitions[0].letter, 'C');
    EXPECT_EQ(d.partitions[0].fileSystem, "NTFS");
    EXPECT_EQ(d.partitions[0].free, 42949672960u);
    EXPECT_TRUE(d.partitions[0].active);
    // A volume without a letter keeps letter 0 but gets its label, file system and free space.
    EXPECT_EQ(d.partitions[1].letter, 0);
    EXPECT_EQ(d.partitions[1].label, "data");
    EXPECT_EQ(d.partitions[1].fileSystem, "NTFS");
    EXPECT_EQ(d.partitions[1].free, 1000u);
    EXPECT_TRUE(d.partitions[1].logical);
    EXPECT_EQ(d.partitions[1].volumeName.back(), '}');
    EXPECT_EQ(d.LetterOfPartitionNumber(5), 0);
    EXPECT_EQ(d.LetterOfPartitionNumber(1), 'C');
    EXPECT_TRUE(d.HasLetter('C'));
    EXPECT_FALSE(d.HasLetter('D'));
}

TEST(DiskLoad, GptDiskWithoutVendor) {
    MachineFixture machine(MachineJson("gpt-uefi"));
    DiskInfo d;
    ASSERT_TRUE(d.Load(machine.storage(), 0));
    EXPECT_EQ(d.partitionStyle, disk::kStyleGpt);
    EXPECT_EQ(d.model, "Samsung SSD 970 EVO 1TB");  // an empty vendor text is no vendor
    EXPECT_EQ(d.seekPenalty, 0);
    EXPECT_EQ(d.gptHeader[32], 128);
    ASSERT_EQ(d.PartitionCount(), 5);
    const int32_t kinds[] = {kGptEfiSystem, kGptMsReserved, kGptBasicData, kGptRecovery, kGptBasicData};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(d.partitions[i].gptKind, kinds[i]) << i;
    EXPECT_EQ(d.partitions[0].gptEntry[40], 'E');  // the GPT name, UTF-16
    EXPECT_EQ(d.BootPartition()->number, 1u);
    EXPECT_EQ(d.LargestDataPartition().letter, 'D');
    EXPECT_FALSE(d.Load(machine.storage(), 0)) << "already loaded, not forced";
    EXPECT_TRUE(d.Load(machine.storage(), 0, true));
}

TEST(DiskLoad, FailingQueriesDegradeSoftly) {
    MachineFixture machine(R"({"disks": [
        {"number": 0, "bus_type": 11, "size": 64424509440, "descriptor": false, "geometry_ex": false, "layout": "old",
         "partitions": [{"number": 1, "mbr_type": 7, "active": true, "start": 32256, "length": 1000000,
                         "volume": {"letter": "C", "fs": "NTFS", "free": 5}}]},
        {"number": 1, "bus_type": 11, "size": 1000, "layout": false},
        {"number": 3, "bus_type": 11, "size": 1000, "loads": false}]})");
    DriveProbe probe = FindDrives(machine.storage());
    EXPECT_EQ(probe.count, 3);
    EXPECT_EQ(probe.mask, 0b1011u);
    std::vector<DiskInfo> disks = LoadInventory(machine.storage());
    ASSERT_EQ(disks.size(), 3u);
    const DiskInfo& d = disks[0];
    ASSERT_TRUE(d.IsLoaded());
    EXPECT_EQ(d.busType, 0u);
    EXPECT_EQ(d.model, "");
    EXPECT_EQ(d.seekPenalty, -1);
    EXPECT_EQ(d.size, 64424509440 / (255 * 63 * 512) * (255 * 63 * 512));  // cylinders × heads × sectors × bytes
    ASSERT_EQ(d.PartitionCount(), 1);  // from the old layout query
    EXPECT_EQ(d.partitions[0].letter, 'C');
    EXPECT_FALSE(disks[1].IsLoaded()) << "both layout queries failed";
    EXPECT_FALSE(disks[2].IsLoaded()) << "opened when counted, not when loaded";
}

// A storage port that changes some of the simulator's answers.
class AlteredStorage : public StoragePort {
public:
    explicit AlteredStorage(StoragePort& real) : real_(real) {}
    std::unique_ptr<Device> open(const std::string& p, DeviceOpen m) override { return real_.open(p, m); }
    std::vector<std::string> volumes() override { return real_.volumes(); }
    std::vector<std::string> volumePathNames(const std::string& v) override {
        return mountPaths.empty() ? real_.volumePathNames(v) : mountPaths;
    }
    std::optional<VolumeInformation> volumeInformation(const std::string& r) override { return real_.volumeInformation(r); }
    std::optional<uint64_t> freeBytesAvailable(const std::string& p) override { return real_.freeBytesAvailable(p); }
    std::optional<ClusterSpace> diskFreeSpace(const std::string& r) override { return real_.diskFreeSpace(r); }
    std::string logicalDriveStrings() override { return drives.empty() ? real_.logicalDriveStrings() : drives; }
    unsigned driveType(const std::string& r) override { return real_.driveType(r); }

    std::vector<std::string> mountPaths;
    std::string drives;

private:
    StoragePort& real_;
};

TEST(DiskLoad, TheLetterPassOverridesTheVolumePass) {
    MachineFixture machine(MachineJson("one-disk-c-d"));
    AlteredStorage storage(machine.storage());
    storage.mountPaths = {"Q:\\"};  // the volume pass sees another letter
    DiskInfo d;
    ASSERT_TRUE(d.Load(storage, 0));
    EXPECT_EQ(d.partitions[0].letter, 'C');
    EXPECT_EQ(d.partitions[1].letter, 'D');
}

TEST(DiskLoad, OnlyTheEnvironmentsRamDriveSkipsTheLetterPass) {
    MachineFixture machine(MachineJson("one-disk-c-d"));
    AlteredStorage storage(machine.storage());
    storage.mountPaths = {"Q:\\"};
    for (const char* drives : {"X:\\\0", "Y:\\\0"}) {
        storage.drives = std::string(drives, 4);
        DiskInfo d;
        ASSERT_TRUE(d.Load(storage, 0));
        EXPECT_EQ(d.partitions[0].letter, 'Q') << "letters from the volume pass alone";
    }
}

TEST(DiskLoad, AVolumeMountedInAFolderGetsNoLetter) {
    MachineFixture machine(MachineJson("one-disk-c-d"));
    AlteredStorage storage(machine.storage());
    storage.mountPaths = {"C:\\mnt\\data\\"};
    storage.drives = std::string("X:\\\0", 4);  // no letter pass to put things right
    DiskInfo d;
    ASSERT_TRUE(d.Load(storage, 0));
    EXPECT_EQ(d.partitions[1].letter, 0);
    EXPECT_EQ(d.partitions[1].fileSystem, "NTFS");
}

TEST(Inventory, BusTypeOfVolumeAndUnusedLetters) {
    MachineFixture machine(MachineJson("pe-win7-x64"));
    EXPECT_EQ(BusTypeOfVolume(machine.storage(), 'D'), 11u);
    EXPECT_EQ(BusTypeOfVolume(machine.storage(), 'X'), disk::kBusVirtual);
    EXPECT_EQ(BusTypeOfVolume(machine.storage(), 'M'), 0u);
    EXPECT_EQ(UnusedDriveLetters(machine.storage()), "FGHIJKLMNOPQRSTUVWYZ");
}

}  // namespace
}  // namespace qnb

namespace qnb {
namespace {

// The real system's answers for letters a description does not list must
// never be taken for partitions of the simulated disks.
class EveryDeviceIsDiskZero : public StoragePort {
public:
    class AnyDevice : public Device {
    public:
        std::optional<Bytes> control(uint32_t code, const Bytes&, size_t) override {
            if (code == ioctl::kStorageGetDeviceNumber) return disk::EncodeDeviceNumber({7, 0, 3});
            return std::nullopt;
        }
    };
    std::unique_ptr<Device> open(const std::string&, DeviceOpen) override { return std::make_unique<AnyDevice>(); }
    std::vector<std::string> volumes() override { return {}; }
    std::vector<std::string> volumePathNames(const std::string&) override { return {}; }
    std::optional<VolumeInformation> volumeInformation(const std::string&) override { return VolumeInformation{"real", "NTFS"}; }
    std::optional<uint64_t> freeBytesAvailable(const std::string&) override { return 7; }
    std::optional<ClusterSpace> diskFreeSpace(const std::string&) override { return std::nullopt; }
    std::string logicalDriveStrings() override { return std::string("C:\\\0Q:\\\0", 8); }
    unsigned driveType(const std::string&) override { return 3; }
};

TEST(SimulatedDisks, UnlistedLettersNeverJoinThem) {
    EveryDeviceIsDiskZero real;
    sim::SimStorage storage(*sim::ParseMachine(MachineJson("gpt-uefi"), nullptr), &real);
    DiskInfo d;
    ASSERT_TRUE(d.Load(storage, 0));
    EXPECT_EQ(d.partitions[2].letter, 'C');
    EXPECT_EQ(d.partitions[2].free, 35 * kGiB);
    EXPECT_FALSE(d.HasLetter('Q'));
    EXPECT_EQ(storage.freeBytesAvailable("Q:\\"), 7u) << "volume queries of unlisted letters are the real system's";
}

}  // namespace
}  // namespace qnb
