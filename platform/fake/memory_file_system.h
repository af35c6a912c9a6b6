// Files of a machine in memory, for tests: Windows paths without regard to
// case, "/" read as "\", doubled separators counted once; the codes of
// failures as Windows gives them. Safe to use from several threads.
#pragma once

#include "platform/file_system.h"

#include <map>
#include <mutex>
#include <string>

namespace qnb::fake {

class MemoryFileSystem : public FileSystem {
public:
    // The drives that exist, by letter ("CD").
    explicit MemoryFileSystem(const std::string& driveLetters = "C");

    // Setting up: a folder with its missing parents; a file, its folders made.
    void AddFolders(const std::string& path);
    void AddFile(const std::string& path, std::string_view data);
    // Marks an entry (a junction or link stands as a plain entry with these attributes).
    void SetAttributes(const std::string& path, uint32_t attributes);
    // A file's bytes; nothing for a folder or a missing path.
    std::optional<std::string> Content(const std::string& path) const;
    bool IsFolder(const std::string& path) const;
    // The clock of every change, in FILETIME ticks.
    void SetNow(uint64_t ticks);

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

    // The piece a copy reports progress after.
    static constexpr size_t kCopyPiece = 64 * 1024;

private:
    struct Node {
        std::string path;  // as first written, normalised
        bool folder = false;
        uint32_t attributes = 0;
        std::string data;
        uint64_t created = 0;
        uint64_t written = 0;
    };
    using Nodes = std::map<std::string, Node>;  // by Key()

    // "c:\a\b" for "C:/a\\B\": the lookup key of a path.
    static std::string Key(const std::string& normalised);
    static std::string Normalise(const std::string& path);
    static std::string ParentOf(const std::string& normalised);
    static bool IsRoot(const std::string& normalised);

    const Node* Find(const std::string& path) const;
    Node* Find(const std::string& path);
    // Why a new entry cannot be made at path: its parent is no folder.
    uint32_t MissingParentCode(const std::string& normalised) const;
    Node& Put(const std::string& normalised, bool folder);
    bool HasChildren(const std::string& key) const;
    void AddFoldersLocked(const std::string& normalised);

    mutable std::mutex mutex_;
    Nodes nodes_;
    uint64_t now_ = 133000000000000000;  // 2022-06
};

}  // namespace qnb::fake
