// The file operations on a Linux host, for the native tests and the native
// qnbdiag: a Windows path "D:\a\b" lives at ROOT/D/a/b; other paths are
// taken as host paths with "\" read as "/". Failures carry the Windows
// error code of the same failure; symbolic links stand for junctions.
#pragma once

#include "platform/file_system.h"

#include <string>

namespace qnb {

class HostFileSystem : public FileSystem {
public:
    explicit HostFileSystem(std::string driveRoot = "/") : driveRoot_(std::move(driveRoot)) {}

    // The host path of a Windows path.
    std::string HostPath(const std::string& path) const;

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

private:
    std::string driveRoot_;
};

}  // namespace qnb
