// The decoders read answers laid out by hand at Windows' offsets (so that an
// offset error in the encoders cannot hide one in the decoders), and the
// encoders must give back what the decoders read.
#include "platform/disk_structures.h"

#include <gtest/gtest.h>

namespace qnb::disk {
namespace {

TEST(DeviceDescriptor, TextsAtTheirOffsetsAndBusType) {
    ByteWriter w(64);
    w.put32(4, 64);         // Size
    w.put32(12, 40);        // VendorIdOffset
    w.put32(16, 44);        // ProductIdOffset
    w.put32(20, 0);         // no revision
    w.put32(24, 55);        // SerialNumberOffset
    w.put32(28, 7);         // BusType: USB
    w.putString(40, "ATA");
    w.putString(44, "ST1000DM0");
    w.putString(55, "Z1X");
    auto d = DecodeDeviceDescriptor(w.bytes());
    ASSERT_TRUE(d);
    EXPECT_EQ(d->busType, 7u);
    EXPECT_EQ(d->vendor, "ATA");
    EXPECT_EQ(d->product, "ST1000DM0");
    EXPECT_FALSE(d->revision);
    EXPECT_EQ(d->serial, "Z1X");
}

TEST(DeviceDescriptor, HostileOffsetsStayInsideTheAnswer) {
    ByteWriter w(40);
    w.put32(4, 4000);       // states more than was returned
    w.put32(12, 39);        // text runs to the end without a NUL
    w.put32(16, 100000);    // far outside
    w.put32(28, 11);
    w.put8(39, 'Q');
    auto d = DecodeDeviceDescriptor(w.bytes());
    ASSERT_TRUE(d);
    EXPECT_EQ(d->vendor, "Q");
    EXPECT_EQ(d->product, "");
    EXPECT_FALSE(DecodeDeviceDescriptor(Bytes(31, 0)));  // too short for the bus type
}

TEST(Geometry, ExSizeAndOldProduct) {
    ByteWriter ex(40);
    ex.put64(24, 1000204886016ull);
    EXPECT_EQ(DecodeGeometryExSize(ex.bytes()), 1000204886016ull);

    ByteWriter old(24);
    old.put64(0, 121601);
    old.put32(12, 255);
    old.put32(16, 63);
    old.put32(20, 512);
    EXPECT_EQ(DecodeGeometrySize(old.bytes()), 121601ull * 255 * 63 * 512);
    EXPECT_FALSE(DecodeGeometrySize(Bytes(23, 0)));
    EXPECT_FALSE(DecodeGeometryExSize(Bytes(31, 0)));
}

TEST(SeekPenaltyAndDeviceNumber, Decode) {
    ByteWriter penalty(12);
    penalty.put8(8, 1);
    EXPECT_EQ(DecodeSeekPenalty(penalty.bytes()), true);
    EXPECT_EQ(DecodeSeekPenalty(EncodeSeekPenalty(false)), false);

    ByteWriter number(12);
    number.put32(0, 7);
    number.put32(4, 2);
    number.put32(8, 5);
    auto n = DecodeDeviceNumber(number.bytes());
    ASSERT_TRUE(n);
    EXPECT_EQ(n->deviceNumber, 2u);
    EXPECT_EQ(n->partitionNumber, 5u);
    EXPECT_FALSE(DecodeDeviceNumber(Bytes(11, 0)));
}

TEST(DriveLayoutEx, MbrEntriesAtWindowsOffsets) {
    ByteWriter w(48 + 2 * 144);
    w.put32(0, kStyleMbr);
    w.put32(4, 2);
    for (int i = 0; i < 2; ++i) {
        size_t at = 48 + i * 144;
        w.put64(at + 8, 1048576 * (i + 1));
        w.put64(at + 16, 5000 + i);
        w.put32(at + 24, i + 1);
        w.put8(at + 32, i == 0 ? 7 : 15);
        w.put8(at + 33, i == 0 ? 1 : 0);
    }
    auto layout = DecodeDriveLayoutEx(w.bytes());
    ASSERT_TRUE(layout);
    ASSERT_EQ(layout->entries.size(), 2u);
    EXPECT_EQ(layout->entries[0].start, 1048576u);
    EXPECT_EQ(layout->entries[0].mbrType, 7);
    EXPECT_EQ(layout->entries[0].bootIndicator, 1);
    EXPECT_EQ(layout->entries[1].length, 5001u);
    EXPECT_EQ(layout->entries[1].number, 2u);
    EXPECT_EQ(layout->entries[1].mbrType, 15);
}

TEST(DriveLayoutEx, GptHeaderAndEntry) {
    ByteWriter w(48 + 144);
    w.put32(0, kStyleGpt);
    w.put32(4, 1);
    w.put32(8 + 32, 128);  // MaxPartitionCount
    Guid type = *ParseGuid("{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}");
    w.putBytes(48 + 32, type.data(), type.size());
    w.put16(48 + 32 + 40, 'D');  // first unit of the name
    auto layout = DecodeDriveLayoutEx(w.bytes());
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->style, kStyleGpt);
    EXPECT_EQ(layout->gptHeader[32], 128);
    ASSERT_EQ(layout->entries.size(), 1u);
    EXPECT_TRUE(std::equal(type.begin(), type.end(), layout->entries[0].gpt.begin()));
    EXPECT_EQ(layout->entries[0].gpt[40], 'D');
}

TEST(DriveLayout, CountsLargerThanTheAnswerKeepWhatIsThere) {
    ByteWriter ex(48 + 144 + 100);
    ex.put32(4, 0xFFFFFFFF);
    auto layout = DecodeDriveLayoutEx(ex.bytes());
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->partitionCount, 0xFFFFFFFFu);
    EXPECT_EQ(layout->entries.size(), 1u);

    ByteWriter old(8 + 32 * 2 + 31);
    old.put32(0, 1000);
    EXPECT_EQ(DecodeDriveLayout(old.bytes())->entries.size(), 2u);
    EXPECT_FALSE(DecodeDriveLayoutEx(Bytes(47, 0)));
    EXPECT_FALSE(DecodeDriveLayout(Bytes(7, 0)));
}

TEST(DriveLayout, OldEntriesAtWindowsOffsets) {
    ByteWriter w(8 + 32);
    w.put32(0, 1);
    w.put64(8, 32256);
    w.put64(16, 999);
    w.put32(8 + 20, 3);
    w.put8(8 + 24, 0x0B);
    w.put8(8 + 25, 1);
    auto layout = DecodeDriveLayout(w.bytes());
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->style, kStyleMbr);
    ASSERT_EQ(layout->entries.size(), 1u);
    EXPECT_EQ(layout->entries[0].start, 32256u);
    EXPECT_EQ(layout->entries[0].length, 999u);
    EXPECT_EQ(layout->entries[0].number, 3u);
    EXPECT_EQ(layout->entries[0].mbrType, 0x0B);
    EXPECT_EQ(layout->entries[0].bootIndicator, 1);
}

TEST(DriveLayout, EncodersGiveBackWhatTheDecodersRead) {
    DriveLayout layout;
    layout.style = kStyleMbr;
    layout.partitionCount = 2;
    LayoutEntry a;
    a.start = 1 << 20;
    a.length = 1ull << 35;
    a.number = 1;
    a.mbrType = 7;
    a.bootIndicator = 1;
    LayoutEntry b = a;
    b.number = 0;
    b.mbrType = 15;
    b.bootIndicator = 0;
    layout.entries = {a, b};
    for (auto decoded : {DecodeDriveLayoutEx(EncodeDriveLayoutEx(layout)), DecodeDriveLayout(EncodeDriveLayout(layout))}) {
        ASSERT_TRUE(decoded);
        ASSERT_EQ(decoded->entries.size(), 2u);
        EXPECT_EQ(decoded->entries[0].length, a.length);
        EXPECT_EQ(decoded->entries[0].bootIndicator, 1);
        EXPECT_EQ(decoded->entries[1].mbrType, 15);
    }
    DeviceDescriptor d{14, "V", std::nullopt, "R", "S"};
    auto back = DecodeDeviceDescriptor(EncodeDeviceDescriptor(d));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->busType, 14u);
    EXPECT_EQ(back->vendor, "V");
    EXPECT_FALSE(back->product);
    EXPECT_EQ(back->serial, "S");
}

TEST(Guid, TextAndStoredBytes) {
    auto g = ParseGuid("{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}");
    ASSERT_TRUE(g);
    // Data1 little-endian first, Data4 as written last.
    EXPECT_EQ((*g)[0], 0x28);
    EXPECT_EQ((*g)[3], 0xC1);
    EXPECT_EQ((*g)[4], 0x1F);
    EXPECT_EQ((*g)[8], 0xBA);
    EXPECT_EQ((*g)[15], 0x3B);
    EXPECT_EQ(FormatGuid(*g), "{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}");
    for (const char* bad : {"C12A7328-F81F-11D2-BA4B-00A0C93EC93B", "{C12A7328F81F-11D2-BA4B-00A0C93EC93B0}",
                            "{G12A7328-F81F-11D2-BA4B-00A0C93EC93B}", ""}) {
        EXPECT_FALSE(ParseGuid(bad)) << bad;
    }
}

}  // namespace
}  // namespace qnb::disk
