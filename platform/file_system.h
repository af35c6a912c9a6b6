// File operations of the program's logic. Paths are UTF-8 Windows paths
// ("D:\Quenbrook\Data\SETTING.JSON").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qnb {

constexpr uint32_t kFileAttributeDirectory = 0x10;

struct DirectoryEntry {
    std::string name;      // UTF-8, without the folder
    uint32_t attributes;   // Win32 file attributes
};

class FileSystem {
public:
    // _access modes.
    enum Access { kExists = 0, kWrite = 2, kRead = 4, kReadWrite = 6 };

    virtual ~FileSystem() = default;
    // _access(path, mode) == 0.
    virtual bool access(const std::string& path, int mode) = 0;
    // _mkdir: one folder, its parent must exist.
    virtual bool makeDirectory(const std::string& path) = 0;
    // The whole file, or nothing when it cannot be opened or read.
    virtual std::optional<std::string> readFile(const std::string& path) = 0;
    // Writes the file whole or not at all: a temporary file beside it is
    // written and flushed, then replaces the target. On failure the previous
    // file (if any) is untouched.
    virtual bool writeFile(const std::string& path, std::string_view data) = 0;
    // FindFirstFile/FindNextFile on folder + "*", "." and ".." included.
    virtual std::vector<DirectoryEntry> list(const std::string& folder) = 0;
    // DeleteFile.
    virtual bool deleteFile(const std::string& path) = 0;
};

}  // namespace qnb
