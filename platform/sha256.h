// SHA-256 (FIPS 180-4), for checking that a download holds the bytes the
// service meant. Fed in pieces of any size, so that a file of gigabytes
// is hashed as it is read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qnb {

class Sha256 {
public:
    using Digest = std::array<uint8_t, 32>;

    Sha256();
    void Update(const void* data, size_t size);
    void Update(std::string_view data) { Update(data.data(), data.size()); }
    // The digest of everything fed so far; the object starts over afterwards.
    Digest Finish();

private:
    void Block(const uint8_t* block);

    std::array<uint32_t, 8> state_;
    uint8_t buffer_[64];
    size_t buffered_ = 0;
    uint64_t length_ = 0;  // bytes
};

// 64 lower-case hex digits.
std::string HexDigest(const Sha256::Digest& digest);
std::string Sha256Hex(std::string_view data);
// True for exactly 64 hex digits (either case).
bool IsSha256Hex(std::string_view text);

}  // namespace qnb
