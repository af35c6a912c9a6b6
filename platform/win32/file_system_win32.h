// File operations on Windows, through the wide functions; every path goes
// through WidePath, so absolute paths of any length work.
#pragma once

#include "platform/file_system.h"

namespace qnb::win32 {

class Win32FileSystem : public FileSystem {
public:
    bool access(const std::string& path, int mode) override;
    Status makeDirectory(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path) override;
    bool writeFile(const std::string& path, std::string_view data) override;
    std::vector<DirectoryEntry> list(const std::string& folder) override;
    Result<std::vector<DirectoryEntry>> listFolder(const std::string& folder) override;
    bool deleteFile(const std::string& path) override;
    Result<FileFacts> facts(const std::string& path) override;
    Status copyFile(const std::string& from, const std::string& to, const CopyProgress& progress,
                    bool replace) override;
    Status moveFile(const std::string& from, const std::string& to, bool replace) override;
    Status appendFile(const std::string& path, std::string_view data) override;
    Status setAttributes(const std::string& path, uint32_t attributes) override;
    Status removeDirectory(const std::string& path) override;
    Result<std::string> longPathName(const std::string& path) override;
    Result<std::unique_ptr<FileReader>> openRead(const std::string& path) override;
};

}  // namespace qnb::win32
