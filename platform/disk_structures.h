// The raw answers of the storage IOCTLs, as Windows lays them out, with
// decoders for the inventory and encoders for the simulator and the tests.
// Every length and count in an answer is treated as hostile.
#pragma once

#include "platform/bytes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qnb::disk {

// STORAGE_PROPERTY_QUERY (12 bytes): PropertyId @0, QueryType @4 (0 = standard), AdditionalParameters @8.
constexpr uint32_t kDeviceProperty = 0;
constexpr uint32_t kSeekPenaltyProperty = 7;
Bytes PropertyQuery(uint32_t propertyId);
// The property a query asks for, or nothing when the input is too short.
std::optional<uint32_t> QueriedProperty(ByteView query);

// STORAGE_DEVICE_DESCRIPTOR: Version @0, Size @4, DeviceType @8, ..., VendorIdOffset @12,
// ProductIdOffset @16, ProductRevisionOffset @20, SerialNumberOffset @24, BusType @28,
// RawPropertiesLength @32, RawDeviceProperties @36. The texts lie at their offsets
// inside the answer, NUL-terminated; an offset of 0 means "none".
constexpr size_t kDescriptorAnswerSize = 551;
constexpr uint32_t kBusUnknown = 0;
constexpr uint32_t kBusUsb = 7;
constexpr uint32_t kBusVirtual = 14;
constexpr uint32_t kBusFileBackedVirtual = 15;

struct DeviceDescriptor {
    uint32_t busType = 0;
    std::optional<std::string> vendor, product, revision, serial;  // nothing when the offset is 0
};
std::optional<DeviceDescriptor> DecodeDeviceDescriptor(ByteView answer);
Bytes EncodeDeviceDescriptor(const DeviceDescriptor& descriptor);

// DISK_GEOMETRY (24 bytes): Cylinders @0 (int64), MediaType @8, TracksPerCylinder @12,
// SectorsPerTrack @16, BytesPerSector @20. DISK_GEOMETRY_EX (40 bytes): Geometry @0, DiskSize @24.
constexpr size_t kGeometryAnswerSize = 24;
constexpr size_t kGeometryExAnswerSize = 40;
struct Geometry {
    uint64_t cylinders = 0;
    uint32_t tracksPerCylinder = 0, sectorsPerTrack = 0, bytesPerSector = 0;
};
std::optional<uint64_t> DecodeGeometryExSize(ByteView answer);
// Cylinders × tracks per cylinder × sectors per track × bytes per sector.
std::optional<uint64_t> DecodeGeometrySize(ByteView answer);
Bytes EncodeGeometry(const Geometry& geometry);
Bytes EncodeGeometryEx(const Geometry& geometry, uint64_t diskSize);

// DEVICE_SEEK_PENALTY_DESCRIPTOR (12 bytes): Version @0, Size @4, IncursSeekPenalty @8.
constexpr size_t kSeekPenaltyAnswerSize = 12;
std::optional<bool> DecodeSeekPenalty(ByteView answer);
Bytes EncodeSeekPenalty(bool incursSeekPenalty);

// STORAGE_DEVICE_NUMBER (12 bytes): DeviceType @0, DeviceNumber @4, PartitionNumber @8.
constexpr size_t kDeviceNumberAnswerSize = 12;
constexpr uint32_t kFileDeviceDisk = 7;
struct DeviceNumber {
    uint32_t deviceType = kFileDeviceDisk;
    uint32_t deviceNumber = 0;
    uint32_t partitionNumber = 0;
};
std::optional<DeviceNumber> DecodeDeviceNumber(ByteView answer);
Bytes EncodeDeviceNumber(const DeviceNumber& number);

// One partition entry of either layout answer.
constexpr uint32_t kStyleMbr = 0;
constexpr uint32_t kStyleGpt = 1;
constexpr size_t kGptEntrySize = 112;
constexpr size_t kGptHeaderSize = 40;
struct LayoutEntry {
    uint32_t style = kStyleMbr;
    uint64_t start = 0;
    uint64_t length = 0;
    uint32_t number = 0;
    uint8_t mbrType = 0;
    uint8_t bootIndicator = 0;
    // GPT part: PartitionType GUID @0, PartitionId GUID @16, Attributes @32, Name (36 UTF-16) @40.
    std::array<uint8_t, kGptEntrySize> gpt{};
};

struct DriveLayout {
    uint32_t style = kStyleMbr;
    uint32_t partitionCount = 0;                    // as the answer states it
    std::array<uint8_t, kGptHeaderSize> gptHeader{};  // GPT: DiskId @0, StartingUsableOffset @16, UsableLength @24, MaxPartitionCount @32
    std::vector<LayoutEntry> entries;               // the entries that fit in the answer
};

// DRIVE_LAYOUT_INFORMATION_EX: PartitionStyle @0, PartitionCount @4, Mbr/Gpt header @8 (40 bytes),
// PartitionEntry @48, each PARTITION_INFORMATION_EX of 144 bytes: PartitionStyle @0,
// StartingOffset @8, PartitionLength @16, PartitionNumber @24, RewritePartition @28,
// Mbr {PartitionType @32, BootIndicator @33, ...} or Gpt {112 bytes @32}.
constexpr size_t kLayoutExHeaderSize = 48;
constexpr size_t kLayoutExEntrySize = 144;
constexpr size_t kLayoutExAnswerSize = kLayoutExHeaderSize + 105 * kLayoutExEntrySize;  // 15,168
std::optional<DriveLayout> DecodeDriveLayoutEx(ByteView answer);
Bytes EncodeDriveLayoutEx(const DriveLayout& layout);

// DRIVE_LAYOUT_INFORMATION: PartitionCount @0, Signature @4, PartitionEntry @8, each
// PARTITION_INFORMATION of 32 bytes: StartingOffset @0, PartitionLength @8, HiddenSectors @16,
// PartitionNumber @20, PartitionType @24, BootIndicator @25, Recognized @26, Rewrite @27.
// Always MBR.
constexpr size_t kLayoutHeaderSize = 8;
constexpr size_t kLayoutEntrySize = 32;
constexpr size_t kLayoutAnswerSize = kLayoutHeaderSize + 105 * kLayoutEntrySize;  // 3,368
std::optional<DriveLayout> DecodeDriveLayout(ByteView answer);
Bytes EncodeDriveLayout(const DriveLayout& layout);

// GUIDs as they are stored (Data1..3 little-endian) and as text "{XXXXXXXX-...}".
using Guid = std::array<uint8_t, 16>;
std::optional<Guid> ParseGuid(const std::string& braced);
std::string FormatGuid(const Guid& guid);

}  // namespace qnb::disk
