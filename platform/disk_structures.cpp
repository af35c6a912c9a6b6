#include "platform/disk_structures.h"

#include <algorithm>
#include <cstdio>

namespace qnb::disk {

Bytes PropertyQuery(uint32_t propertyId) {
    ByteWriter w(12);
    w.put32(0, propertyId);
    w.put32(4, 0);  // PropertyStandardQuery
    return w.take();
}

std::optional<uint32_t> QueriedProperty(ByteView query) { return query.u32(0); }

std::optional<DeviceDescriptor> DecodeDeviceDescriptor(ByteView answer) {
    auto busType = answer.u32(28);
    if (!busType) return std::nullopt;
    // The stated size may be larger than what was returned; never read past either.
    uint32_t stated = answer.u32(4).value_or(0);
    ByteView body = answer.sub(0, std::min<size_t>(answer.size(), stated ? stated : answer.size()));
    DeviceDescriptor d;
    d.busType = *busType;
    const auto textAt = [&](size_t field) -> std::optional<std::string> {
        uint32_t offset = answer.u32(field).value_or(0);
        if (offset == 0) return std::nullopt;
        return body.cstring(offset);
    };
    d.vendor = textAt(12);
    d.product = textAt(16);
    d.revision = textAt(20);
    d.serial = textAt(24);
    return d;
}

Bytes EncodeDeviceDescriptor(const DeviceDescriptor& d) {
    ByteWriter w(40);
    w.put32(0, 40);  // Version
    w.put32(8, 0);   // DeviceType: direct access
    size_t next = 40;
    const auto putText = [&](size_t field, const std::optional<std::string>& text) {
        if (!text) return;
        w.put32(field, static_cast<uint32_t>(next));
        w.putString(next, *text);
        next += text->size() + 1;
    };
    putText(12, d.vendor);
    putText(16, d.product);
    putText(20, d.revision);
    putText(24, d.serial);
    w.put32(28, d.busType);
    w.put32(4, static_cast<uint32_t>(w.size()));  // Size
    return w.take();
}

std::optional<uint64_t> DecodeGeometryExSize(ByteView answer) { return answer.u64(24); }

std::optional<uint64_t> DecodeGeometrySize(ByteView answer) {
    if (!answer.has(0, kGeometryAnswerSize)) return std::nullopt;
    // Wraps like the 64-bit product it is; absurd geometries give absurd sizes, never a fault.
    return *answer.u64(0) * *answer.u32(12) * *answer.u32(16) * *answer.u32(20);
}

Bytes EncodeGeometry(const Geometry& g) {
    ByteWriter w(kGeometryAnswerSize);
    w.put64(0, g.cylinders);
    w.put32(8, 12);  // FixedMedia
    w.put32(12, g.tracksPerCylinder);
    w.put32(16, g.sectorsPerTrack);
    w.put32(20, g.bytesPerSector);
    return w.take();
}

Bytes EncodeGeometryEx(const Geometry& g, uint64_t diskSize) {
    ByteWriter w(kGeometryExAnswerSize);
    Bytes geometry = EncodeGeometry(g);
    w.putBytes(0, geometry.data(), geometry.size());
    w.put64(24, diskSize);
    return w.take();
}

std::optional<bool> DecodeSeekPenalty(ByteView answer) {
    auto flag = answer.u8(8);
    if (!flag) return std::nullopt;
    return *flag != 0;
}

Bytes EncodeSeekPenalty(bool incursSeekPenalty) {
    ByteWriter w(kSeekPenaltyAnswerSize);
    w.put32(0, 12);
    w.put32(4, 12);
    w.put8(8, incursSeekPenalty ? 1 : 0);
    return w.take();
}

std::optional<DeviceNumber> DecodeDeviceNumber(ByteView answer) {
    if (!answer.has(0, kDeviceNumberAnswerSize)) return std::nullopt;
    return DeviceNumber{*answer.u32(0), *answer.u32(4), *answer.u32(8)};
}

Bytes EncodeDeviceNumber(const DeviceNumber& n) {
    ByteWriter w(kDeviceNumberAnswerSize);
    w.put32(0, n.deviceType);
    w.put32(4, n.deviceNumber);
    w.put32(8, n.partitionNumber);
    return w.take();
}

std::optional<DriveLayout> DecodeDriveLayoutEx(ByteView answer) {
    if (!answer.has(0, kLayoutExHeaderSize)) return std::nullopt;
    DriveLayout layout;
    layout.style = *answer.u32(0);
    layout.partitionCount = *answer.u32(4);
    std::copy_n(answer.data() + 8, kGptHeaderSize, layout.gptHeader.begin());
    for (uint32_t i = 0; i < layout.partitionCount; ++i) {
        size_t at = kLayoutExHeaderSize + static_cast<size_t>(i) * kLayoutExEntrySize;
        if (!answer.has(at, kLayoutExEntrySize)) break;  // a count larger than the answer: keep what is there
        LayoutEntry e;
        e.style = *answer.u32(at);
        e.start = *answer.u64(at + 8);
        e.length = *answer.u64(at + 16);
        e.number = *answer.u32(at + 24);
        e.mbrType = *answer.u8(at + 32);
        e.bootIndicator = *answer.u8(at + 33);
        std::copy_n(answer.data() + at + 32, kGptEntrySize, e.gpt.begin());
        layout.entries.push_back(e);
    }
    return layout;
}

Bytes EncodeDriveLayoutEx(const DriveLayout& layout) {
    ByteWriter w(kLayoutExHeaderSize + layout.entries.size() * kLayoutExEntrySize);
    w.put32(0, layout.style);
    w.put32(4, layout.partitionCount);
    w.putBytes(8, layout.gptHeader.data(), kGptHeaderSize);
    for (size_t i = 0; i < layout.entries.size(); ++i) {
        const LayoutEntry& e = layout.entries[i];
        size_t at = kLayoutExHeaderSize + i * kLayoutExEntrySize;
        w.put32(at, e.style);
        w.put64(at + 8, e.start);
        w.put64(at + 16, e.length);
        w.put32(at + 24, e.number);
        if (e.style == kStyleGpt) {
            w.putBytes(at + 32, e.gpt.data(), kGptEntrySize);
        } else {
            w.put8(at + 32, e.mbrType);
            w.put8(at + 33, e.bootIndicator);
            w.put8(at + 34, e.mbrType != 0);  // RecognizedPartition
        }
    }
    return w.take();
}

std::optional<DriveLayout> DecodeDriveLayout(ByteView answer) {
    if (!answer.has(0, kLayoutHeaderSize)) return std::nullopt;
    DriveLayout layout;
    layout.style = kStyleMbr;
    layout.partitionCount = *answer.u32(0);
    for (uint32_t i = 0; i < layout.partitionCount; ++i) {
        size_t at = kLayoutHeaderSize + static_cast<size_t>(i) * kLayoutEntrySize;
        if (!answer.has(at, kLayoutEntrySize)) break;
        LayoutEntry e;
        e.start = *answer.u64(at);
        e.length = *answer.u64(at + 8);
        e.number = *answer.u32(at + 20);
        e.mbrType = *answer.u8(at + 24);
        e.bootIndicator = *answer.u8(at + 25);
        layout.entries.push_back(e);
    }
    return layout;
}

Bytes EncodeDriveLayout(const DriveLayout& layout) {
    ByteWriter w(kLayoutHeaderSize + layout.entries.size() * kLayoutEntrySize);
    w.put32(0, layout.partitionCount);
    for (size_t i = 0; i < layout.entries.size(); ++i) {
        const LayoutEntry& e = layout.entries[i];
        size_t at = kLayoutHeaderSize + i * kLayoutEntrySize;
        w.put64(at, e.start);
        w.put64(at + 8, e.length);
        w.put32(at + 16, static_cast<uint32_t>(e.start / 512));  // HiddenSectors
        w.put32(at + 20, e.number);
        w.put8(at + 24, e.mbrType);
        w.put8(at + 25, e.bootIndicator);
        w.put8(at + 26, e.mbrType != 0);
    }
    return w.take();
}

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<Guid> ParseGuid(const std::string& s) {
    // {00112233-4455-6677-8899-AABBCCDDEEFF}
    if (s.size() != 38 || s.front() != '{' || s.back() != '}') return std::nullopt;
    std::string hex;
    for (size_t i = 1; i < 37; ++i) {
        bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash != (s[i] == '-')) return std::nullopt;
        if (!dash) {
            if (HexDigit(s[i]) < 0) return std::nullopt;
            hex += s[i];
        }
    }
    uint8_t raw[16];
    for (int i = 0; i < 16; ++i) raw[i] = static_cast<uint8_t>(HexDigit(hex[2 * i]) << 4 | HexDigit(hex[2 * i + 1]));
    // Data1, Data2 and Data3 are stored little-endian, Data4 as written.
    const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    Guid g;
    for (int i = 0; i < 16; ++i) g[i] = raw[order[i]];
    return g;
}

std::string FormatGuid(const Guid& g) {
    char text[39];
    std::snprintf(text, sizeof text, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  g[3], g[2], g[1], g[0], g[5], g[4], g[7], g[6], g[8], g[9], g[10], g[11], g[12], g[13],
                  g[14], g[15]);
    return text;
}

}  // namespace qnb::disk
