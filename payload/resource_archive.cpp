#include "payload/resource_archive.h"

#include "platform/paths.h"
#include "platform/text.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

extern "C" {
#include "7z.h"
#include "7zCrc.h"
}

namespace qnb {

// All memory the decoder asks for while an object loads, and the unpacked
// blocks the object keeps. Each allocation carries its size in front so
// that frees are counted; a request beyond the budget is refused, which the
// decoder reports as an error of its own.
class CResourceArchive::Memory {
public:
    Memory() : vt_{&Alloc, &Free} {}
    ISzAllocPtr get() const { return &vt_; }
    void Release(void* block) { Free(&vt_, block); }

private:
    static constexpr size_t kHeader = alignof(std::max_align_t);

    static Memory* Self(ISzAllocPtr p) {
        return const_cast<Memory*>(reinterpret_cast<const Memory*>(reinterpret_cast<const char*>(p) -
                                                                  offsetof(Memory, vt_)));
    }

    static void* Alloc(ISzAllocPtr p, size_t size) {
        Memory* self = Self(p);
        if (size == 0) size = 1;
        if (size > kMemoryBudget - self->live_) return nullptr;
        auto* raw = static_cast<unsigned char*>(std::malloc(size + kHeader));
        if (!raw) return nullptr;
        std::memcpy(raw, &size, sizeof size);
        self->live_ += size;
        return raw + kHeader;
    }

    static void Free(ISzAllocPtr p, void* address) {
        if (!address) return;
        auto* raw = static_cast<unsigned char*>(address) - kHeader;
        size_t size;
        std::memcpy(&size, raw, sizeof size);
        Self(p)->live_ -= size;
        std::free(raw);
    }

    ISzAlloc vt_;
    size_t live_ = 0;
};

namespace {

// The decoder's CRC tables are process-wide; they are filled once, before
// the first archive of any thread is opened.
void PrepareDecoder() {
    static std::once_flag once;
    std::call_once(once, [] { CrcGenerateTable(); });
}

// A seekable stream over the archive's bytes in memory.
struct MemoryStream {
    ISeekInStream vt;
    const uint8_t* data;
    size_t size;
    size_t position;

    static MemoryStream* Self(ISeekInStreamPtr p) {
        return const_cast<MemoryStream*>(reinterpret_cast<const MemoryStream*>(p));
    }

    static SRes Read(ISeekInStreamPtr p, void* buffer, size_t* size) {
        MemoryStream* self = Self(p);
        size_t left = self->size - self->position;
        size_t n = *size < left ? *size : left;
        if (n) std::memcpy(buffer, self->data + self->position, n);
        self->position += n;
        *size = n;
        return SZ_OK;
    }

    static SRes Seek(ISeekInStreamPtr p, Int64* position, ESzSeek origin) {
        MemoryStream* self = Self(p);
        Int64 base = origin == SZ_SEEK_SET ? 0
                     : origin == SZ_SEEK_CUR ? static_cast<Int64>(self->position)
                                             : static_cast<Int64>(self->size);
        // Positions outside the bytes are refused rather than clamped.
        if (*position < -base || *position > static_cast<Int64>(self->size) - base) return SZ_ERROR_PARAM;
        self->position = static_cast<size_t>(base + *position);
        *position = static_cast<Int64>(self->position);
        return SZ_OK;
    }
};
static_assert(offsetof(MemoryStream, vt) == 0);

constexpr size_t kLookBufferSize = size_t(1) << 18;

// The opened archive with its look-ahead buffer, freed together.
class OpenArchive {
public:
    explicit OpenArchive(ISzAllocPtr alloc) : alloc_(alloc) {
        SzArEx_Init(&db);
        LookToRead2_CreateVTable(&look, False);
        look.buf = nullptr;
        look.bufSize = 0;
    }
    ~OpenArchive() {
        SzArEx_Free(&db, alloc_);
        ISzAlloc_Free(alloc_, look.buf);
    }
    OpenArchive(const OpenArchive&) = delete;
    OpenArchive& operator=(const OpenArchive&) = delete;

    bool Open(MemoryStream& stream) {
        look.buf = static_cast<Byte*>(ISzAlloc_Alloc(alloc_, kLookBufferSize));
        if (!look.buf) return false;
        look.bufSize = kLookBufferSize;
        look.realStream = &stream.vt;
        LookToRead2_INIT(&look);
        return SzArEx_Open(&db, &look.vt, alloc_, alloc_) == SZ_OK;
    }

    CSzArEx db;
    CLookToRead2 look;

private:
    ISzAllocPtr alloc_;
};

}  // namespace

CResourceArchive::CResourceArchive(FileSystem& files) : files_(files), memory_(std::make_unique<Memory>()) {}

CResourceArchive::~CResourceArchive() { Clear(); }

void CResourceArchive::Clear() {
    entries_.clear();
    for (void* block : blocks_) memory_->Release(block);
    blocks_.clear();
}

bool CResourceArchive::LoadFromMemory(const uint8_t* bytes, size_t size) {
    Clear();
    if (!bytes || size == 0) return false;
    PrepareDecoder();

    // The archive is read from a copy that lives as long as the load.
    std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[size]);
    if (!copy) return false;
    std::memcpy(copy.get(), bytes, size);
    MemoryStream stream{{&MemoryStream::Read, &MemoryStream::Seek}, copy.get(), size, 0};

    OpenArchive archive(memory_->get());
    if (!archive.Open(stream)) return false;
    const CSzArEx& db = archive.db;
    try {
        blocks_.reserve(db.db.NumFolders);
        entries_.reserve(db.NumFiles);

        // The decoder's output buffer holds one solid block, decoded once.
        // Every decoded block is kept in blocks_ (the entries point into it);
        // when the next entry lies in another block the decoder is handed a
        // fresh buffer instead of freeing this one.
        UInt32 blockIndex = UINT32_MAX;
        Byte* block = nullptr;
        size_t blockSize = 0;
        std::u16string name;
        for (UInt32 i = 0; i < db.NumFiles; ++i) {
            if (SzArEx_IsDir(&db, i)) continue;
            // An archive may come without a names table; its entries are
            // then nameless (and cannot be asked for by name).
            size_t length = 1;
            name.clear();
            if (db.FileNameOffsets) {
                length = SzArEx_GetFileNameUtf16(&db, i, nullptr);
                name.resize(length);
                SzArEx_GetFileNameUtf16(&db, i, reinterpret_cast<UInt16*>(name.data()));
                if (!name.empty()) name.pop_back();  // the terminating NUL
            }

            ArchiveEntry entry;
            entry.name = name;
            entry.nameLength = static_cast<int32_t>(length);
            entry.index = static_cast<int32_t>(i);
            // An entry without data belongs to no block; asking the decoder
            // for it would make it drop the block at hand.
            const UInt32 folder = db.FileToFolder[i];
            if (folder != UINT32_MAX) {
                if (blockIndex != folder) block = nullptr;
                Byte* before = block;
                size_t offset = 0, entrySize = 0;
                SRes result = SzArEx_Extract(&db, &archive.look.vt, i, &blockIndex, &block, &blockSize, &offset,
                                             &entrySize, memory_->get(), memory_->get());
                bool fresh = block != before;
                if (result == SZ_OK && fresh && block) {
                    if (blocks_.size() == blocks_.capacity()) result = SZ_ERROR_FAIL;
                    else blocks_.push_back(block);
                }
                if (result != SZ_OK) {
                    // A block that did not decode is never read: its entries
                    // and all after it are left out.
                    if (fresh) memory_->Release(block);
                    break;
                }
                entry.size = entrySize;
                entry.data = block + offset;
            }
            entries_.push_back(std::move(entry));
        }
    } catch (const std::bad_alloc&) {
        // Out of memory for the records: the ones made so far stay.
    }
    return true;
}

std::vector<CResourceArchive::Listing> CResourceArchive::List() const {
    std::vector<Listing> list;
    list.reserve(entries_.size());
    for (const ArchiveEntry& e : entries_) list.push_back({text::Utf16ToUtf8(e.name), e.size, e.index});
    return list;
}

bool CResourceArchive::EnsureFolder(const std::string& path) {
    std::string folder = path;
    for (char& c : folder) {
        if (c == '/') c = '\\';
    }
    // The folder of the path keeps its trailing separator; a bare name lives
    // in the current folder.
    folder = std::string(paths::Folder(folder));
    if (folder.empty()) return true;

    // Walk up until a folder exists, then create the missing ones from the
    // outermost down. Each step drops one separator or one name, so doubled
    // separators cost a step and nothing else.
    std::vector<std::string> missing;
    while (!files_.access(folder, FileSystem::kExists)) {
        missing.push_back(folder);
        std::string parent(paths::Folder(paths::WithoutTrailingSeparator(folder)));
        if (parent.empty()) break;
        folder = std::move(parent);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        // A folder that exists afterwards is what counts: with a doubled
        // separator the same folder comes twice, and only the first makes it.
        if (!files_.makeDirectory(*it) && !files_.access(*it, FileSystem::kExists)) return false;
    }
    return true;
}

uint64_t CResourceArchive::ExtractFile(const std::string& entryName, const std::string& targetPath) {
    try {
        std::u16string wanted = text::Utf8ToUtf16(entryName);
        const ArchiveEntry* found = nullptr;
        for (const ArchiveEntry& e : entries_) {
            if (static_cast<size_t>(e.nameLength) == wanted.size() + 1 && e.name == wanted) {
                found = &e;
                break;
            }
        }
        if (!found || found->size == 0) return 0;
        if (!EnsureFolder(targetPath)) return 0;
        std::string_view data(reinterpret_cast<const char*>(found->data), static_cast<size_t>(found->size));
        return files_.writeFile(targetPath, data) ? found->size : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

}  // namespace qnb
