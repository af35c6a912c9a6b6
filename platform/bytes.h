// Little-endian reads and writes on byte buffers whose contents come from
// outside (IOCTL answers, files): every read is bounds-checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace qnb {

using Bytes = std::vector<uint8_t>;

// A read-only view with checked little-endian reads. Reads past the end
// yield nothing; callers treat that as a malformed buffer.
class ByteView {
public:
    ByteView() = default;
    ByteView(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    ByteView(const Bytes& bytes) : data_(bytes.data()), size_(bytes.size()) {}  // NOLINT: implicit on purpose

    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

    bool has(size_t offset, size_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }

    std::optional<uint8_t> u8(size_t offset) const {
        if (!has(offset, 1)) return std::nullopt;
        return data_[offset];
    }
    std::optional<uint16_t> u16(size_t offset) const {
        if (!has(offset, 2)) return std::nullopt;
        return static_cast<uint16_t>(data_[offset] | data_[offset + 1] << 8);
    }
    std::optional<uint32_t> u32(size_t offset) const {
        if (!has(offset, 4)) return std::nullopt;
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = v << 8 | data_[offset + i];
        return v;
    }
    std::optional<uint64_t> u64(size_t offset) const {
        if (!has(offset, 8)) return std::nullopt;
        uint64_t v = 0;
        for (int i = 7; i >= 0; --i) v = v << 8 | data_[offset + i];
        return v;
    }
    // A view of [offset, offset + length), or an empty view when out of range.
    ByteView sub(size_t offset, size_t length) const {
        if (!has(offset, length)) return {};
        return {data_ + offset, length};
    }
    // NUL-terminated 8-bit text starting at offset, cut at the end of the view.
    std::string cstring(size_t offset) const {
        if (offset >= size_) return {};
        const uint8_t* begin = data_ + offset;
        const void* nul = std::memchr(begin, 0, size_ - offset);
        size_t length = nul ? static_cast<const uint8_t*>(nul) - begin : size_ - offset;
        return std::string(reinterpret_cast<const char*>(begin), length);
    }

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// Appends or patches little-endian values; used to build raw structures.
class ByteWriter {
public:
    explicit ByteWriter(size_t size = 0) : bytes_(size, 0) {}

    void put8(size_t offset, uint8_t v) { grow(offset + 1); bytes_[offset] = v; }
    void put16(size_t offset, uint16_t v) { putN(offset, v, 2); }
    void put32(size_t offset, uint32_t v) { putN(offset, v, 4); }
    void put64(size_t offset, uint64_t v) { putN(offset, v, 8); }
    void putBytes(size_t offset, const void* data, size_t length) {
        grow(offset + length);
        if (length) std::memcpy(bytes_.data() + offset, data, length);
    }
    void putString(size_t offset, const std::string& text) {  // with its NUL
        putBytes(offset, text.c_str(), text.size() + 1);
    }
    size_t size() const { return bytes_.size(); }
    const Bytes& bytes() const { return bytes_; }
    Bytes take() { return std::move(bytes_); }

private:
    void grow(size_t size) { if (bytes_.size() < size) bytes_.resize(size, 0); }
    void putN(size_t offset, uint64_t v, int n) {
        grow(offset + n);
        for (int i = 0; i < n; ++i) bytes_[offset + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    Bytes bytes_;
};

}  // namespace qnb
