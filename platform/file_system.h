// File operations of the program's logic. Paths are UTF-8 Windows paths
// ("D:\Quenbrook\Data\SETTING.JSON"); the Windows adapter takes absolute
// paths of any length. Failures carry the Windows error code (the twins
// give the code Windows would).
#pragma once

#include "platform/failure.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qnb {

constexpr uint32_t kFileAttributeReadOnly = 0x1;
constexpr uint32_t kFileAttributeHidden = 0x2;
constexpr uint32_t kFileAttributeSystem = 0x4;
constexpr uint32_t kFileAttributeDirectory = 0x10;
constexpr uint32_t kFileAttributeArchive = 0x20;
constexpr uint32_t kFileAttributeNormal = 0x80;  // none of the others
constexpr uint32_t kFileAttributeReparsePoint = 0x400;  // a junction or symbolic link: never walk into it

// Reparse tags (winnt.h's IO_REPARSE_TAG_*): a tag with the name-surrogate
// bit names another place; the others keep their data here (cloud
// placeholders, deduplicated files).
constexpr uint32_t kReparseTagMountPoint = 0xA0000003;  // a junction or mounted volume
constexpr uint32_t kReparseTagSymlink = 0xA000000C;
constexpr uint32_t kReparseTagNameSurrogate = 0x20000000;

struct DirectoryEntry {
    std::string name;            // UTF-8, without the folder
    uint32_t attributes;         // Win32 file attributes, reparse points as Windows reports them
    uint64_t size = 0;           // bytes; 0 for folders
    uint64_t lastWriteTime = 0;  // FILETIME: 100-ns ticks since 1601-01-01 UTC
    uint32_t reparseTag = 0;     // with kFileAttributeReparsePoint: its kind; 0 when not known
};

// An entry that leads somewhere else: a junction, symbolic link or mount
// point, or a reparse point of unknown kind. Walks never follow one (a
// link back into its own tree would repeat it until paths overflow).
inline bool IsLink(const DirectoryEntry& entry) {
    if (!(entry.attributes & kFileAttributeReparsePoint)) return false;
    return entry.reparseTag == 0 || (entry.reparseTag & kReparseTagNameSurrogate) != 0;
}

// What a path is, not following a final junction or symbolic link.
struct FileFacts {
    uint64_t size = 0;
    uint32_t attributes = 0;
    uint64_t creationTime = 0;   // FILETIME ticks, as lastWriteTime
    uint64_t lastWriteTime = 0;
};

// Called as a copy goes on with the bytes copied so far and the file's size;
// false cancels the copy.
using CopyProgress = std::function<bool(uint64_t done, uint64_t total)>;

// A file read from the start to the end in pieces.
class FileReader {
public:
    virtual ~FileReader() = default;
    // Up to size bytes into buffer; 0 at the end of the file.
    virtual Result<size_t> Read(char* buffer, size_t size) = 0;
};

class FileSystem {
public:
    // _access modes.
    enum Access { kExists = 0, kWrite = 2, kRead = 4, kReadWrite = 6 };

    virtual ~FileSystem() = default;
    // _access(path, mode) == 0: the path exists, and a write mode fails on a
    // read-only file.
    virtual bool access(const std::string& path, int mode) = 0;
    // One folder; its parent must exist (a folder tree: platform/folder_tree.h).
    virtual Status makeDirectory(const std::string& path) = 0;
    // The whole file, or nothing when it cannot be opened or read.
    virtual std::optional<std::string> readFile(const std::string& path) = 0;
    // Writes the file whole or not at all: a temporary file beside it is
    // written and flushed, then replaces the target. On failure the previous
    // file (if any) is untouched.
    virtual bool writeFile(const std::string& path, std::string_view data) = 0;
    // FindFirstFile/FindNextFile on folder + "*", "." and ".." included. A
    // junction or symbolic link is listed with kFileAttributeReparsePoint
    // and never entered.
    virtual std::vector<DirectoryEntry> list(const std::string& folder) = 0;
    // The same listing, or why the folder could not be listed (a missing
    // folder: ERROR_PATH_NOT_FOUND). The default, for twins that know no
    // codes, never fails.
    virtual Result<std::vector<DirectoryEntry>> listFolder(const std::string& folder) { return list(folder); }
    // DeleteFile.
    virtual bool deleteFile(const std::string& path) = 0;

    // The path itself, a final junction or symbolic link not followed.
    virtual Result<FileFacts> facts(const std::string& path) = 0;
    // Copies a file, reporting progress. An existing target is kept unless
    // replace (ERROR_FILE_EXISTS). A cancelled (ERROR_REQUEST_ABORTED) or
    // failed copy leaves no partial target, and an earlier target whole.
    virtual Status copyFile(const std::string& from, const std::string& to, const CopyProgress& progress,
                            bool replace) = 0;
    // Renames a file or folder, across volumes by copying a file. An existing
    // target is kept unless replace (ERROR_ALREADY_EXISTS).
    virtual Status moveFile(const std::string& from, const std::string& to, bool replace) = 0;
    // Adds data at the end of the file, creating it when missing.
    virtual Status appendFile(const std::string& path, std::string_view data) = 0;
    // SetFileAttributes: read-only, hidden, system, archive (the twins of the
    // host keep only what their file system can: read-only).
    virtual Status setAttributes(const std::string& path, uint32_t attributes) = 0;
    // An empty folder (ERROR_DIR_NOT_EMPTY otherwise).
    virtual Status removeDirectory(const std::string& path) = 0;
    // GetLongPathName: every short (8.3) name of an existing path in its long form.
    virtual Result<std::string> longPathName(const std::string& path) = 0;
    // A file for reading in pieces; others may read and write it meanwhile.
    virtual Result<std::unique_ptr<FileReader>> openRead(const std::string& path) = 0;
};

}  // namespace qnb
