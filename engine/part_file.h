// The partial download on disk ("<target>.qnbdl"): written at any offset by
// several connections at once, then renamed to the target when complete.
#pragma once

#include "engine/engine_api.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qnb::engine {

class PartFile {
public:
    virtual ~PartFile() = default;
    // Writes all of size bytes at offset; safe from several threads at once
    // for different offsets. On failure error is kErrorDiskFull or kErrorFile.
    virtual bool WriteAt(uint64_t offset, const void* data, size_t size, EngineError* error) = 0;
    // Makes what was written durable (before the control file claims it).
    virtual bool Flush() = 0;
};

class FileStore {
public:
    virtual ~FileStore() = default;
    // Creates (or empties) the file and, when size is not 0, reserves size
    // bytes, so that a disk without room fails here. Paths are UTF-8.
    virtual std::unique_ptr<PartFile> Create(const std::string& path, uint64_t size, EngineError* error) = 0;
    // Opens an existing file whose size is exactly size; nothing otherwise.
    virtual std::unique_ptr<PartFile> OpenExisting(const std::string& path, uint64_t size) = 0;
    // Renames from to to, replacing to.
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& path) = 0;
};

}  // namespace qnb::engine
