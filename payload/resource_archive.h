// The payload archive: a 7z archive that travels inside the program (resource
// "DATA" 135) and holds the outside tools and boot files. An object unpacks
// every file entry when it loads and then writes named entries to files.
//
// Each consumer makes its own object on its own thread, loads it once,
// extracts what it needs and destroys it. Nothing throws; failures are
// return values.
#pragma once

#include "platform/file_system.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qnb {

// One file entry of a loaded archive (folder entries get none).
struct ArchiveEntry {
    std::u16string name;     // as stored, "/" between folders
    int32_t nameLength = 0;  // UTF-16 units including the terminating NUL
    int32_t index = 0;       // the entry's index in the archive
    uint64_t size = 0;       // unpacked size
    const uint8_t* data = nullptr;  // size bytes inside one of the object's unpacked blocks
};

class CResourceArchive {
public:
    // The resource that holds the payload archive.
    static constexpr int kPayloadId = 135;
    static constexpr const wchar_t* kPayloadType = L"DATA";

    // Extracted entries are written through files.
    explicit CResourceArchive(FileSystem& files);
    ~CResourceArchive();
    CResourceArchive(const CResourceArchive&) = delete;
    CResourceArchive& operator=(const CResourceArchive&) = delete;

    // Opens the 7z archive in bytes (copied first; the caller's bytes are not
    // kept) and unpacks every file entry. False when the archive cannot be
    // opened; the object is then empty. When a block fails to decode, the
    // entries unpacked before it stay and the result is still true.
    bool LoadFromMemory(const uint8_t* bytes, size_t size);

#ifdef _WIN32
    // LoadFromMemory on the resource (numeric id, type name) of the
    // program's own module. False when there is no such resource.
    bool LoadFromResource(int id, const wchar_t* type);
#endif

    // Writes the entry named entryName (UTF-8, "/" between folders, matched
    // exactly and case-sensitively) to targetPath, creating its missing
    // folders first. Returns the bytes written: 0 for a name that is not a
    // file entry, an empty entry, or a folder or file that cannot be made.
    uint64_t ExtractFile(const std::string& entryName, const std::string& targetPath);

    // The file entries in archive order.
    const std::vector<ArchiveEntry>& Entries() const { return entries_; }

    struct Listing {
        std::string name;  // UTF-8
        uint64_t size;
        int32_t index;
    };
    std::vector<Listing> List() const;

    // Decoder memory an object may hold at once (unpacked blocks, the
    // archive's header tables, decoding buffers). Sizes in a damaged archive
    // cannot ask for more; the payload needs about 11 MB.
    static constexpr size_t kMemoryBudget = size_t(256) << 20;

private:
    // The decoder's allocator, with a running count against kMemoryBudget.
    class Memory;

    void Clear();
    bool EnsureFolder(const std::string& path);

    FileSystem& files_;
    std::unique_ptr<Memory> memory_;
    std::vector<void*> blocks_;  // unpacked blocks, allocated from memory_
    std::vector<ArchiveEntry> entries_;
};

}  // namespace qnb
