// Builds small PE images with a version resource, laid out as a linker
// does: DOS header, PE header, one ".rsrc" section whose raw data starts at
// 0x200 and is mapped at 0x1000.
#pragma once

#include "platform/bytes.h"

#include <cstdint>
#include <string>

namespace qnb::test {

struct PeImageOptions {
    bool pe32Plus = false;             // a 64-bit image
    uint16_t major = 6, minor = 1, build = 7601, revision = 17514;
    uint32_t resourceType = 16;        // RT_VERSION
    const char* key = "VS_VERSION_INFO";
    uint32_t signature = 0xFEEF04BD;
};

inline Bytes BuildPeImage(const PeImageOptions& o = {}) {
    constexpr size_t kPe = 0x40, kCoff = kPe + 4, kOptional = kCoff + 20;
    const size_t optionalSize = o.pe32Plus ? 240 : 224;
    const size_t sectionTable = kOptional + optionalSize;
    constexpr uint32_t kRawOffset = 0x200, kRva = 0x1000;

    ByteWriter w(kRawOffset);
    w.put16(0, 0x5A4D);  // "MZ"
    w.put32(0x3C, kPe);
    w.put32(kPe, 0x00004550);  // "PE\0\0"
    w.put16(kCoff, o.pe32Plus ? 0x8664 : 0x14C);
    w.put16(kCoff + 2, 1);  // one section
    w.put16(kCoff + 16, static_cast<uint16_t>(optionalSize));
    w.put16(kOptional, o.pe32Plus ? 0x20B : 0x10B);
    size_t countAt = kOptional + (o.pe32Plus ? 108 : 92);
    w.put32(countAt, 16);

    // The resource tree: type → name 1 → language 0x409 → data entry → VS_VERSIONINFO.
    ByteWriter r;
    const auto directory = [&](size_t at, uint32_t id, uint32_t target) {
        r.put16(at + 14, 1);  // one id entry
        r.put32(at + 16, id);
        r.put32(at + 20, target);
    };
    directory(0x00, o.resourceType, 0x80000000u | 0x18);
    directory(0x18, 1, 0x80000000u | 0x30);
    directory(0x30, 0x409, 0x48);
    const size_t info = 0x58;
    std::string key = o.key;
    for (size_t i = 0; i <= key.size(); ++i) r.put16(info + 6 + 2 * i, i < key.size() ? key[i] : 0);
    size_t fixed = (6 + 2 * (key.size() + 1) + 3) & ~size_t{3};
    r.put32(info + fixed, o.signature);
    r.put32(info + fixed + 4, 0x00010000);
    r.put32(info + fixed + 8, uint32_t{o.major} << 16 | o.minor);
    r.put32(info + fixed + 12, uint32_t{o.build} << 16 | o.revision);
    r.put32(info + fixed + 16, uint32_t{o.major} << 16 | o.minor);
    r.put32(info + fixed + 20, uint32_t{o.build} << 16 | o.revision);
    const size_t infoSize = fixed + 52;
    r.put16(info, static_cast<uint16_t>(infoSize));
    r.put16(info + 2, 52);
    r.put32(0x48, kRva + info);  // data entry: RVA, size
    r.put32(0x48 + 4, static_cast<uint32_t>(infoSize));

    const uint32_t rawSize = static_cast<uint32_t>((r.size() + 0x1FF) & ~size_t{0x1FF});
    size_t dataDirectories = countAt + 4;
    w.put32(dataDirectories + 2 * 8, kRva);
    w.put32(dataDirectories + 2 * 8 + 4, static_cast<uint32_t>(r.size()));
    w.putBytes(sectionTable, ".rsrc", 5);
    w.put32(sectionTable + 8, static_cast<uint32_t>(r.size()));  // VirtualSize
    w.put32(sectionTable + 12, kRva);
    w.put32(sectionTable + 16, rawSize);
    w.put32(sectionTable + 20, kRawOffset);
    w.putBytes(kRawOffset, r.bytes().data(), r.size());
    w.put8(kRawOffset + rawSize - 1, 0);  // pad the section to its raw size
    return w.take();
}

inline std::string AsString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace qnb::test
