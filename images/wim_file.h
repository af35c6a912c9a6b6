// The parts of a WIM file that the image choice needs: the header and the
// XML description it points to (UTF-16LE with a byte-order mark, never
// compressed). Every length and offset comes from the file and is hostile.
#pragma once

#include "platform/bytes.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace qnb::wim {

// The structures as the file stores them, little-endian, without padding.
// The decoder reads each field at its offset; the structs pin the offsets.
#pragma pack(push, 1)
// RESHDR_DISK_SHORT: where one resource lies.
struct ResourceHeaderOnDisk {
    uint8_t sizeInWim[7];   // @0  bytes the resource takes in the file (56 bits)
    uint8_t flags;          // @7  kResourceCompressed, ...
    uint64_t offsetInWim;   // @8  from the start of the file
    uint64_t originalSize;  // @16 bytes once uncompressed
};
struct HeaderOnDisk {
    char magic[8];                        // @0   "MSWIM\0\0\0"
    uint32_t headerSize;                  // @8   208
    uint32_t version;                     // @12  0x10D00, 0x10E00 (solid)
    uint32_t flags;                       // @16
    uint32_t chunkSize;                   // @20
    uint8_t guid[16];                     // @24
    uint16_t partNumber;                  // @40  from 1
    uint16_t totalParts;                  // @42
    uint32_t imageCount;                  // @44
    ResourceHeaderOnDisk blobTable;       // @48
    ResourceHeaderOnDisk xmlData;         // @72
    ResourceHeaderOnDisk bootMetadata;    // @96
    uint32_t bootIndex;                   // @120
    ResourceHeaderOnDisk integrityTable;  // @124
    uint8_t unused[60];                   // @148
};
#pragma pack(pop)

static_assert(sizeof(ResourceHeaderOnDisk) == 24);
static_assert(offsetof(ResourceHeaderOnDisk, flags) == 7);
static_assert(offsetof(ResourceHeaderOnDisk, offsetInWim) == 8);
static_assert(offsetof(ResourceHeaderOnDisk, originalSize) == 16);
static_assert(sizeof(HeaderOnDisk) == 208);
static_assert(offsetof(HeaderOnDisk, headerSize) == 8);
static_assert(offsetof(HeaderOnDisk, version) == 12);
static_assert(offsetof(HeaderOnDisk, partNumber) == 40);
static_assert(offsetof(HeaderOnDisk, imageCount) == 44);
static_assert(offsetof(HeaderOnDisk, blobTable) == 48);
static_assert(offsetof(HeaderOnDisk, xmlData) == 72);
static_assert(offsetof(HeaderOnDisk, bootMetadata) == 96);
static_assert(offsetof(HeaderOnDisk, bootIndex) == 120);
static_assert(offsetof(HeaderOnDisk, integrityTable) == 124);

constexpr size_t kHeaderSize = sizeof(HeaderOnDisk);
constexpr char kMagic[8] = {'M', 'S', 'W', 'I', 'M', 0, 0, 0};
constexpr uint8_t kResourceCompressed = 0x04;
// Real descriptions are a few KB per image; more than this is not one.
constexpr uint64_t kMaxXmlSize = uint64_t(64) << 20;

struct Resource {
    uint64_t sizeInWim = 0;
    uint8_t flags = 0;
    uint64_t offset = 0;
    uint64_t originalSize = 0;
};

struct Header {
    uint32_t headerSize = 0;
    uint32_t version = 0;
    uint32_t flags = 0;
    uint16_t partNumber = 0;
    uint16_t totalParts = 0;
    uint32_t imageCount = 0;
    Resource xml;
};

enum class Problem {
    kNone,
    kUnreadable,         // the file cannot be read where it should be
    kNotWim,             // no "MSWIM" signature
    kTruncatedHeader,    // shorter than a header
    kBadHeaderSize,      // the header states a size it cannot have
    kNoXml,              // the header names no XML description
    kXmlOutOfBounds,     // the description lies (partly) outside the file
    kXmlCompressed,      // a compressed description, which no WIM writer makes
    kXmlTooLarge,        // more than kMaxXmlSize
    kXmlNotUtf16,        // an odd number of bytes, or not UTF-16LE text
};

// A sentence for the user of imagex ("the file is not a WIM file").
const char* Describe(Problem problem);

// The header from the first bytes of a file (at least kHeaderSize of them).
std::optional<Header> DecodeHeader(ByteView bytes, Problem* problem);
// Where the description lies, checked against the file's size.
Problem CheckXmlResource(const Header& header, uint64_t fileSize);
// The description's bytes (UTF-16LE, with or without its byte-order mark)
// as UTF-8 without a byte-order mark. Unpaired surrogates become U+FFFD.
std::optional<std::string> XmlToUtf8(ByteView bytes, Problem* problem);

// Reads length bytes at offset into out; false when they cannot all be read.
using ReadAt = std::function<bool(uint64_t offset, size_t length, uint8_t* out)>;
// The header, then the description, of a file of fileSize bytes, as UTF-8.
std::optional<std::string> ReadXml(const ReadAt& read, uint64_t fileSize, Problem* problem,
                                   Header* header = nullptr);

// Bytes of a WIM with a header and an XML description only (the tests' and
// the fuzzer's seeds).
Bytes EncodeHeader(const Header& header);

}  // namespace qnb::wim
