#include "engine/control_file.h"

#include "platform/bytes.h"

#include <array>

namespace qnb::engine {

namespace {

constexpr char kMagic[8] = {'Q', 'N', 'B', 'D', 'L', 'C', 'T', 'L'};
constexpr uint32_t kVersion = 1;

const std::array<uint32_t, 256>& CrcTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

void Put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(v >> (8 * i));
}
void Put64(std::string& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out += static_cast<char>(v >> (8 * i));
}

}  // namespace

uint32_t Crc32(const void* data, size_t size) {
    const auto& table = CrcTable();
    const auto* p = static_cast<const uint8_t*>(data);
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::string EncodeControl(const ControlState& s) {
    std::string out(kMagic, sizeof kMagic);
    Put32(out, kVersion);
    Put64(out, s.total);
    Put32(out, static_cast<uint32_t>(s.url.size()));
    out += s.url;
    Put32(out, static_cast<uint32_t>(s.validator.size()));
    out += s.validator;
    Put32(out, static_cast<uint32_t>(s.remaining.size()));
    for (const ByteRange& r : s.remaining) {
        Put64(out, r.begin);
        Put64(out, r.end);
    }
    Put32(out, Crc32(out.data(), out.size()));
    return out;
}

std::optional<ControlState> DecodeControl(std::string_view bytes) {
    ByteView view(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (bytes.size() < sizeof kMagic + 4 || bytes.substr(0, sizeof kMagic) != std::string_view(kMagic, sizeof kMagic))
        return std::nullopt;
    // The checksum covers everything before it.
    auto crc = view.u32(bytes.size() - 4);
    if (!crc || *crc != Crc32(bytes.data(), bytes.size() - 4)) return std::nullopt;
    ByteView body = view.sub(0, bytes.size() - 4);

    size_t at = sizeof kMagic;
    auto version = body.u32(at);
    if (!version || *version != kVersion) return std::nullopt;
    at += 4;
    ControlState s;
    auto total = body.u64(at);
    if (!total) return std::nullopt;
    s.total = *total;
    at += 8;

    auto text = [&](size_t limit, std::string& out) {
        auto length = body.u32(at);
        if (!length || *length > limit || !body.has(at + 4, *length)) return false;
        out.assign(reinterpret_cast<const char*>(body.data()) + at + 4, *length);
        at += 4 + *length;
        return true;
    };
    if (!text(kMaxControlUrl, s.url) || s.url.empty()) return std::nullopt;
    if (!text(kMaxControlValidator, s.validator)) return std::nullopt;

    auto count = body.u32(at);
    if (!count || *count > kMaxControlRanges) return std::nullopt;
    at += 4;
    if (body.size() - at != uint64_t{*count} * 16) return std::nullopt;
    uint64_t previousEnd = 0;
    for (uint32_t i = 0; i < *count; ++i, at += 16) {
        ByteRange r{*body.u64(at), *body.u64(at + 8)};
        // Sorted, disjoint, non-empty and inside the file.
        if (r.begin >= r.end || r.end > s.total || (i > 0 && r.begin < previousEnd)) return std::nullopt;
        previousEnd = r.end;
        s.remaining.push_back(r);
    }
    return s;
}

}  // namespace qnb::engine
