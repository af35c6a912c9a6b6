// Partial files on a Linux host, for the native tests and tools: paths are
// Windows paths mapped by a HostFileSystem.
#pragma once

#include "engine/part_file.h"
#include "platform/posix/host_file_system.h"

namespace qnb::engine {

class PosixFileStore : public FileStore {
public:
    explicit PosixFileStore(const HostFileSystem& files) : files_(files) {}
    std::unique_ptr<PartFile> Create(const std::string& path, uint64_t size, EngineError* error) override;
    std::unique_ptr<PartFile> OpenExisting(const std::string& path, uint64_t size) override;
    bool Replace(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override;

private:
    const HostFileSystem& files_;
};

}  // namespace qnb::engine
