// The control file beside a partial download ("<target>.qnbdl.ctl"): what a
// later run needs to go on where this one stopped. It is read back from a
// folder other programs can write to, so every length, count and range in
// it is checked before use.
//
// Layout (little-endian):
//   0   8  magic "QNBDLCTL"
//   8   4  version (1)
//   12  8  total size of the file
//   20  4  length of the URL, then its UTF-8 bytes
//   ..  4  length of the validator (ETag or Last-Modified, sent as If-Range), then its bytes
//   ..  4  number of ranges still to fetch, then each as begin and end (8 + 8)
//   ..  4  CRC-32 of every byte before it
#pragma once

#include "engine/segment_plan.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qnb::engine {

struct ControlState {
    std::string url;
    uint64_t total = 0;
    std::string validator;
    std::vector<ByteRange> remaining;  // sorted, disjoint, inside [0, total)
};

constexpr size_t kMaxControlUrl = 8192;
constexpr size_t kMaxControlValidator = 1024;
constexpr size_t kMaxControlRanges = 65536;

std::string EncodeControl(const ControlState& state);
// Nothing when the bytes are not a well-formed control file.
std::optional<ControlState> DecodeControl(std::string_view bytes);

uint32_t Crc32(const void* data, size_t size);

}  // namespace qnb::engine
