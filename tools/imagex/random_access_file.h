// A file read at any offset, for imagex: the Win32 calls on Windows (they
// exist on Windows XP, where the tool must start), stdio elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qnb::imagex {

class RandomAccessFile {
public:
    virtual ~RandomAccessFile() = default;
    virtual uint64_t size() const = 0;
    // False unless all length bytes at offset were read.
    virtual bool ReadAt(uint64_t offset, size_t length, uint8_t* out) = 0;
};

// path is UTF-8. Nothing when it cannot be opened for reading.
std::unique_ptr<RandomAccessFile> OpenForReading(const std::string& path);

}  // namespace qnb::imagex
