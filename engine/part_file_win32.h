// Partial files on Windows: one handle written at explicit offsets by
// several connections, renamed over the target when complete.
#pragma once

#include "engine/part_file.h"

namespace qnb::engine {

class Win32FileStore : public FileStore {
public:
    std::unique_ptr<PartFile> Create(const std::string& path, uint64_t size, EngineError* error) override;
    std::unique_ptr<PartFile> OpenExisting(const std::string& path, uint64_t size) override;
    bool Replace(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override;
};

}  // namespace qnb::engine
