#include "images/wim_file.h"

#include <cstring>
#include <vector>

namespace qnb::wim {

namespace {

constexpr size_t kXmlAt = offsetof(HeaderOnDisk, xmlData);

Resource DecodeResource(ByteView bytes, size_t at) {
    Resource r;
    r.sizeInWim = *bytes.u64(at) & ((uint64_t(1) << 56) - 1);
    r.flags = *bytes.u8(at + offsetof(ResourceHeaderOnDisk, flags));
    r.offset = *bytes.u64(at + offsetof(ResourceHeaderOnDisk, offsetInWim));
    r.originalSize = *bytes.u64(at + offsetof(ResourceHeaderOnDisk, originalSize));
    return r;
}

void AppendUtf8(std::string* out, uint32_t c) {
    if (c < 0x80) {
        out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out->push_back(static_cast<char>(0xC0 | c >> 6));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | c >> 12));
        out->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | c >> 18));
        out->push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

const char* Describe(Problem problem) {
    switch (problem) {
    case Problem::kNone: return "no problem";
    case Problem::kUnreadable: return "the file cannot be read";
    case Problem::kNotWim: return "the file is not a WIM file (no MSWIM signature)";
    case Problem::kTruncatedHeader: return "the file is shorter than a WIM header";
    case Problem::kBadHeaderSize: return "the WIM header states an impossible size";
    case Problem::kNoXml: return "the WIM header names no XML description";
    case Problem::kXmlOutOfBounds: return "the WIM's XML description lies outside the file";
    case Problem::kXmlCompressed: return "the WIM's XML description is compressed";
    case Problem::kXmlTooLarge: return "the WIM's XML description is too large";
    case Problem::kXmlNotUtf16: return "the WIM's XML description is not UTF-16 text";
    }
    return "unknown problem";
}

std::optional<Header> DecodeHeader(ByteView bytes, Problem* problem) {
    *problem = Problem::kNone;
    if (bytes.size() >= sizeof kMagic && std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
        *problem = Problem::kNotWim;
        return std::nullopt;
    }
    if (!bytes.has(0, kHeaderSize)) {
        *problem = bytes.size() < sizeof kMagic ? Problem::kNotWim : Problem::kTruncatedHeader;
        return std::nullopt;
    }
    Header h;
    h.headerSize = *bytes.u32(offsetof(HeaderOnDisk, headerSize));
    // Every WIM writer states 208; a smaller one would put the fields we read outside it.
    if (h.headerSize < kHeaderSize || h.headerSize > 4096) {
        *problem = Problem::kBadHeaderSize;
        return std::nullopt;
    }
    h.version = *bytes.u32(offsetof(HeaderOnDisk, version));
    h.flags = *bytes.u32(offsetof(HeaderOnDisk, flags));
    h.partNumber = *bytes.u16(offsetof(HeaderOnDisk, partNumber));
    h.totalParts = *bytes.u16(offsetof(HeaderOnDisk, totalParts));
    h.imageCount = *bytes.u32(offsetof(HeaderOnDisk, imageCount));
    h.xml = DecodeResource(bytes, kXmlAt);
    return h;
}

Problem CheckXmlResource(const Header& header, uint64_t fileSize) {
    const Resource& xml = header.xml;
    if (xml.offset == 0 && xml.sizeInWim == 0) return Problem::kNoXml;
    if (xml.flags & kResourceCompressed) return Problem::kXmlCompressed;
    // Written in one piece after the header; checked without overflow.
    if (xml.offset < kHeaderSize || xml.offset > fileSize || xml.sizeInWim > fileSize - xml.offset) {
        return Problem::kXmlOutOfBounds;
    }
    if (xml.sizeInWim > kMaxXmlSize) return Problem::kXmlTooLarge;
    if (xml.sizeInWim == 0 || xml.sizeInWim % 2 != 0) return Problem::kXmlNotUtf16;
    return Problem::kNone;
}

std::optional<std::string> XmlToUtf8(ByteView bytes, Problem* problem) {
    *problem = Problem::kNone;
    if (bytes.size() % 2 != 0) {
        *problem = Problem::kXmlNotUtf16;
        return std::nullopt;
    }
    size_t at = 0;
    if (bytes.u16(0) == 0xFEFF) at = 2;
    // Some writers end the text with a NUL; it is no part of the XML.
    size_t end = bytes.size();
    while (end > at && bytes.u16(end - 2) == 0) end -= 2;
    std::string out;
    out.reserve(end - at);
    for (; at < end; at += 2) {
        uint32_t unit = *bytes.u16(at);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            auto next = at + 2 < end ? bytes.u16(at + 2) : std::nullopt;
            if (next && *next >= 0xDC00 && *next <= 0xDFFF) {
                AppendUtf8(&out, 0x10000 + ((unit - 0xD800) << 10) + (*next - 0xDC00));
                at += 2;
                continue;
            }
            unit = 0xFFFD;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            unit = 0xFFFD;
        }
        // A NUL inside would cut the description short further on.
        if (unit == 0) {
            *problem = Problem::kXmlNotUtf16;
            return std::nullopt;
        }
        AppendUtf8(&out, unit);
    }
    return out;
}

std::optional<std::string> ReadXml(const ReadAt& read, uint64_t fileSize, Problem* problem, Header* header) {
    *problem = Problem::kNone;
    std::vector<uint8_t> head(kHeaderSize);
    size_t headLength = fileSize < kHeaderSize ? static_cast<size_t>(fileSize) : kHeaderSize;
    head.resize(headLength);
    if (headLength > 0 && !read(0, headLength, head.data())) {
        *problem = Problem::kUnreadable;
        return std::nullopt;
    }
    std::optional<Header> h = DecodeHeader(ByteView(head.data(), head.size()), problem);
    if (!h) return std::nullopt;
    if (header) *header = *h;
    *problem = CheckXmlResource(*h, fileSize);
    if (*problem != Problem::kNone) return std::nullopt;
    std::vector<uint8_t> xml(static_cast<size_t>(h->xml.sizeInWim));
    if (!read(h->xml.offset, xml.size(), xml.data())) {
        *problem = Problem::kUnreadable;
        return std::nullopt;
    }
    return XmlToUtf8(ByteView(xml.data(), xml.size()), problem);
}

Bytes EncodeHeader(const Header& h) {
    ByteWriter w(kHeaderSize);
    w.putBytes(0, kMagic, sizeof kMagic);
    w.put32(offsetof(HeaderOnDisk, headerSize), h.headerSize);
    w.put32(offsetof(HeaderOnDisk, version), h.version);
    w.put32(offsetof(HeaderOnDisk, flags), h.flags);
    w.put16(offsetof(HeaderOnDisk, partNumber), h.partNumber);
    w.put16(offsetof(HeaderOnDisk, totalParts), h.totalParts);
    w.put32(offsetof(HeaderOnDisk, imageCount), h.imageCount);
    w.put64(kXmlAt, h.xml.sizeInWim & ((uint64_t(1) << 56) - 1));
    w.put8(kXmlAt + offsetof(ResourceHeaderOnDisk, flags), h.xml.flags);
    w.put64(kXmlAt + offsetof(ResourceHeaderOnDisk, offsetInWim), h.xml.offset);
    w.put64(kXmlAt + offsetof(ResourceHeaderOnDisk, originalSize), h.xml.originalSize);
    return w.take();
}

}  // namespace qnb::wim
