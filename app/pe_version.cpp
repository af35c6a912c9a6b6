#include "app/pe_version.h"

#include <algorithm>
#include <vector>

namespace qnb {

namespace {

constexpr uint32_t kResourceTypeVersion = 16;  // RT_VERSION
constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr uint32_t kSubdirectoryFlag = 0x80000000;

struct Section {
    uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

// Maps a relative virtual address to a file offset through the section table.
std::optional<size_t> RvaToOffset(const std::vector<Section>& sections, uint32_t rva) {
    for (const Section& s : sections) {
        uint32_t extent = s.virtualSize ? s.virtualSize : s.rawSize;
        if (rva >= s.virtualAddress && rva - s.virtualAddress < extent) {
            uint32_t delta = rva - s.virtualAddress;
            if (delta >= s.rawSize) return std::nullopt;  // in the zero-filled tail, not in the file
            return static_cast<size_t>(s.rawOffset) + delta;
        }
    }
    return std::nullopt;
}

// IMAGE_RESOURCE_DIRECTORY (16 bytes: ..., NumberOfNamedEntries @12, NumberOfIdEntries @14),
// followed by 8-byte entries (Name/Id @0, OffsetToData @4). Returns the
// OffsetToData of the entry with the wanted id, or of the first entry when any will do.
std::optional<uint32_t> FindEntry(ByteView resources, size_t directory, std::optional<uint32_t> wantedId) {
    auto named = resources.u16(directory + 12);
    auto ids = resources.u16(directory + 14);
    if (!named || !ids) return std::nullopt;
    size_t total = static_cast<size_t>(*named) + *ids;
    for (size_t i = 0; i < total; ++i) {
        size_t entry = directory + 16 + i * 8;
        auto name = resources.u32(entry);
        auto offset = resources.u32(entry + 4);
        if (!name || !offset) return std::nullopt;
        bool isId = i >= *named;
        if (!wantedId || (isId && *name == *wantedId)) return *offset;
    }
    return std::nullopt;
}

// [offset, offset + length) cut at the end of the file; empty when it starts past the end.
ByteView Clipped(ByteView file, size_t offset, size_t length) {
    if (offset > file.size()) return {};
    return file.sub(offset, std::min(length, file.size() - offset));
}

}  // namespace

std::optional<FileVersion> ReadPeFileVersion(ByteView file) {
    if (file.u16(0) != 0x5A4D) return std::nullopt;  // "MZ"
    auto peOffset = file.u32(0x3C);
    if (!peOffset || file.u32(*peOffset) != 0x00004550) return std::nullopt;  // "PE\0\0"

    // IMAGE_FILE_HEADER (20 bytes after the signature): NumberOfSections @2, SizeOfOptionalHeader @16.
    size_t coff = static_cast<size_t>(*peOffset) + 4;
    auto sectionCount = file.u16(coff + 2);
    auto optionalSize = file.u16(coff + 16);
    if (!sectionCount || !optionalSize) return std::nullopt;

    // Optional header: Magic @0 (0x10B PE32, 0x20B PE32+); NumberOfRvaAndSizes @92 / @108,
    // data directories after it; the resource directory is entry 2.
    size_t optional = coff + 20;
    auto magic = file.u16(optional);
    if (!magic || (*magic != 0x10B && *magic != 0x20B)) return std::nullopt;
    size_t countAt = optional + (*magic == 0x10B ? 92 : 108);
    auto directoryCount = file.u32(countAt);
    if (!directoryCount || *directoryCount <= 2) return std::nullopt;
    size_t resourceDirectory = countAt + 4 + 2 * 8;
    if (resourceDirectory + 8 > optional + *optionalSize) return std::nullopt;
    auto resourceRva = file.u32(resourceDirectory);
    auto resourceSize = file.u32(resourceDirectory + 4);
    if (!resourceRva || !resourceSize || *resourceRva == 0) return std::nullopt;

    // Section table (40-byte entries): VirtualSize @8, VirtualAddress @12, SizeOfRawData @16, PointerToRawData @20.
    std::vector<Section> sections;
    size_t table = optional + *optionalSize;
    for (uint16_t i = 0; i < *sectionCount; ++i) {
        size_t at = table + static_cast<size_t>(i) * 40;
        if (!file.has(at, 40)) return std::nullopt;
        sections.push_back({*file.u32(at + 12), *file.u32(at + 8), *file.u32(at + 20), *file.u32(at + 16)});
    }

    auto resourceOffset = RvaToOffset(sections, *resourceRva);
    if (!resourceOffset) return std::nullopt;
    ByteView resources = Clipped(file, *resourceOffset, *resourceSize);

    // Three levels: type RT_VERSION, then the first name, then the first language.
    auto level = FindEntry(resources, 0, kResourceTypeVersion);
    if (!level || !(*level & kSubdirectoryFlag)) return std::nullopt;
    level = FindEntry(resources, *level & ~kSubdirectoryFlag, std::nullopt);
    if (!level || !(*level & kSubdirectoryFlag)) return std::nullopt;
    level = FindEntry(resources, *level & ~kSubdirectoryFlag, std::nullopt);
    if (!level || (*level & kSubdirectoryFlag)) return std::nullopt;

    // IMAGE_RESOURCE_DATA_ENTRY: OffsetToData (an RVA) @0, Size @4.
    auto dataRva = resources.u32(*level);
    auto dataSize = resources.u32(*level + 4);
    if (!dataRva || !dataSize) return std::nullopt;
    auto dataOffset = RvaToOffset(sections, *dataRva);
    if (!dataOffset) return std::nullopt;
    ByteView info = Clipped(file, *dataOffset, *dataSize);

    // VS_VERSIONINFO: wLength @0, wValueLength @2, wType @4, szKey "VS_VERSION_INFO" (UTF-16) @6,
    // padding to 4 bytes, then VS_FIXEDFILEINFO: dwSignature @0, dwStrucVersion @4,
    // dwFileVersionMS @8, dwFileVersionLS @12.
    static const char kKey[] = "VS_VERSION_INFO";
    for (size_t i = 0; i < sizeof kKey; ++i) {
        if (info.u16(6 + 2 * i) != static_cast<uint16_t>(kKey[i])) return std::nullopt;
    }
    size_t fixed = (6 + 2 * sizeof kKey + 3) & ~size_t{3};
    if (info.u32(fixed) != kFixedFileInfoSignature) return std::nullopt;
    auto ms = info.u32(fixed + 8);
    auto ls = info.u32(fixed + 12);
    if (!ms || !ls) return std::nullopt;
    return FileVersion{static_cast<uint16_t>(*ms >> 16), static_cast<uint16_t>(*ms & 0xFFFF),
                       static_cast<uint16_t>(*ls >> 16), static_cast<uint16_t>(*ls & 0xFFFF)};
}

}  // namespace qnb
