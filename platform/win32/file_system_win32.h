// File operations on Windows, through the wide functions.
#pragma once

#include "platform/file_system.h"

namespace qnb::win32 {

class Win32FileSystem : public FileSystem {
public:
    bool access(const std::string& path, int mode) override;
    bool makeDirectory(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path) override;
    bool writeFile(const std::string& path, std::string_view data) override;
    std::vector<DirectoryEntry> list(const std::string& folder) override;
    bool deleteFile(const std::string& path) override;
};

}  // namespace qnb::win32
