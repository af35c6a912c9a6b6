// rand_s is declared only when this comes before the first C library header.
#define _CRT_RAND_S
#include "platform/win32/file_system_win32.h"

#include "platform/error_codes.h"
#include "platform/text.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_path.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>

namespace qnb::win32 {

// The portable codes are Windows' own.
static_assert(errors::kFileNotFound == ERROR_FILE_NOT_FOUND && errors::kPathNotFound == ERROR_PATH_NOT_FOUND &&
              errors::kAccessDenied == ERROR_ACCESS_DENIED && errors::kDataError == ERROR_CRC && errors::kNotSameDevice == ERROR_NOT_SAME_DEVICE &&
              errors::kGenFailure == ERROR_GEN_FAILURE && errors::kFileExists == ERROR_FILE_EXISTS &&
              errors::kNotSupported == ERROR_NOT_SUPPORTED && errors::kInvalidParameter == ERROR_INVALID_PARAMETER &&
              errors::kDiskFull == ERROR_DISK_FULL && errors::kInvalidName == ERROR_INVALID_NAME &&
              errors::kDirNotEmpty == ERROR_DIR_NOT_EMPTY && errors::kBadPathname == ERROR_BAD_PATHNAME &&
              errors::kAlreadyExists == ERROR_ALREADY_EXISTS &&
              errors::kDirectory == ERROR_DIRECTORY && errors::kRequestAborted == ERROR_REQUEST_ABORTED &&
              errors::kDatatypeMismatch == ERROR_DATATYPE_MISMATCH &&
              errors::kHresultFileNotFound == static_cast<uint32_t>(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)));
static_assert(kReparseTagMountPoint == IO_REPARSE_TAG_MOUNT_POINT && kReparseTagSymlink == IO_REPARSE_TAG_SYMLINK &&
              IsReparseTagNameSurrogate(kReparseTagNameSurrogate) == kReparseTagNameSurrogate &&
              !IsReparseTagNameSurrogate(0x9000001A) /* a cloud file's placeholder */);
static_assert(kFileAttributeReadOnly == FILE_ATTRIBUTE_READONLY && kFileAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY &&
              kFileAttributeArchive == FILE_ATTRIBUTE_ARCHIVE && kFileAttributeReparsePoint == FILE_ATTRIBUTE_REPARSE_POINT &&
              kFileAttributeHidden == FILE_ATTRIBUTE_HIDDEN && kFileAttributeSystem == FILE_ATTRIBUTE_SYSTEM &&
              kFileAttributeNormal == FILE_ATTRIBUTE_NORMAL);

namespace {

uint64_t Ticks(const FILETIME& t) { return static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime; }

uint64_t Size(DWORD high, DWORD low) { return static_cast<uint64_t>(high) << 32 | low; }

// A name beside target that nobody can know in advance, so that nobody can
// put a file or a link there first (the program runs elevated and writes
// into folders others may see). Empty when no random number can be had.
std::string TemporaryBeside(const std::string& target) {
    unsigned int a = 0, b = 0;
    if (rand_s(&a) != 0 || rand_s(&b) != 0) return {};
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp%08x%08x", a, b);
    return target + suffix;
}

constexpr int kTemporaryAttempts = 8;

// Gone, whatever attributes it was copied with.
void RemoveTemporary(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

bool WriteAll(HANDLE file, std::string_view data) {
    for (size_t done = 0; done < data.size();) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, data.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

struct CopyContext {
    const CopyProgress* progress;
    bool reported = false;
    bool cancelled = false;
};

DWORD CALLBACK OnCopyProgress(LARGE_INTEGER total, LARGE_INTEGER transferred, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                              DWORD, HANDLE, HANDLE, LPVOID data) {
    auto* context = static_cast<CopyContext*>(data);
    context->reported = true;
    if ((*context->progress)(static_cast<uint64_t>(transferred.QuadPart), static_cast<uint64_t>(total.QuadPart))) {
        return PROGRESS_CONTINUE;
    }
    context->cancelled = true;
    return PROGRESS_CANCEL;
}

class Win32FileReader : public FileReader {
public:
    Win32FileReader(UniqueFile file, std::string where) : file_(std::move(file)), where_(std::move(where)) {}
    Result<size_t> Read(char* buffer, size_t size) override {
        DWORD read = 0;
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        if (!ReadFile(file_.get(), buffer, chunk, &read, nullptr)) return Failure{"read file", where_, GetLastError()};
        return static_cast<size_t>(read);
    }

private:
    UniqueFile file_;
    std::string where_;
};

}  // namespace

bool Win32FileSystem::access(const std::string& path, int mode) {
    // As _access: a folder is always writable, a read-only file is not.
    DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    bool readOnlyFile = (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    return !((mode & kWrite) && readOnlyFile);
}

Status Win32FileSystem::makeDirectory(const std::string& path) {
    if (!CreateDirectoryW(WidePath(path).c_str(), nullptr)) return Failure{"create folder", path, GetLastError()};
    return {};
}

std::optional<std::string> Win32FileSystem::readFile(const std::string& path) {
    UniqueFile file(CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string data;
    char buffer[65536];
    DWORD read = 0;
    while (true) {
        if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return std::nullopt;
        if (read == 0) break;
        data.append(buffer, read);
    }
    return data;
}

bool Win32FileSystem::writeFile(const std::string& path, std::string_view data) {
    std::wstring target = WidePath(path);
    std::wstring temporary;
    UniqueFile file;
    for (int attempt = 0; attempt < kTemporaryAttempts && !file; ++attempt) {
        std::string name = TemporaryBeside(path);
        if (name.empty()) return false;
        temporary = WidePath(name);
        // A new file only, never one that is there already, and no link followed.
        file.reset(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!file && GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    if (!file) return false;
    bool ok = WriteAll(file.get(), data) && FlushFileBuffers(file.get());
    file.reset();
    // Only a complete, flushed file replaces the old one.
    ok = ok && MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(temporary.c_str());
    return ok;
}

std::vector<DirectoryEntry> Win32FileSystem::list(const std::string& folder) {
    Result<std::vector<DirectoryEntry>> entries = listFolder(folder);
    return entries ? std::move(*entries) : std::vector<DirectoryEntry>();
}

Result<std::vector<DirectoryEntry>> Win32FileSystem::listFolder(const std::string& folder) {
    std::vector<DirectoryEntry> entries;
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
    std::wstring wide = WidePath(pattern + "*");
    WIN32_FIND_DATAW data;
    // Without the short names and in larger batches, which Windows 7 and
    // later understand; earlier ones refuse the flags and get the plain call.
    UniqueFindFile find(FindFirstFileExW(wide.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH));
    if (!find && GetLastError() == ERROR_INVALID_PARAMETER) {
        find.reset(FindFirstFileExW(wide.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0));
    }
    if (!find) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return entries;  // a root with nothing in it
        return Failure{"list folder", folder, error};
    }
    // FindFirstFile reports a junction or link as it is and does not enter it.
    do {
        DirectoryEntry entry{text::Narrow(data.cFileName), data.dwFileAttributes};
        entry.size = Size(data.nFileSizeHigh, data.nFileSizeLow);
        entry.lastWriteTime = Ticks(data.ftLastWriteTime);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) entry.reparseTag = data.dwReserved0;
        entries.push_back(std::move(entry));
    } while (FindNextFileW(find.get(), &data));
    return entries;
}

bool Win32FileSystem::deleteFile(const std::string& path) { return DeleteFileW(WidePath(path).c_str()) != 0; }

Result<FileFacts> Win32FileSystem::facts(const std::string& path) {
    // Answered from the folder's entry: a final link is not followed, and a
    // file that nobody may open still answers.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) {
        return Failure{"query file", path, GetLastError()};
    }
    FileFacts facts;
    facts.size = Size(data.nFileSizeHigh, data.nFileSizeLow);
    facts.attributes = data.dwFileAttributes;
    facts.creationTime = Ticks(data.ftCreationTime);
    facts.lastWriteTime = Ticks(data.ftLastWriteTime);
    return facts;
}

Status Win32FileSystem::copyFile(const std::string& from, const std::string& to, const CopyProgress& progress,
                                 bool replace) {
    auto fail = [&](DWORD code) { return Failure{"copy file", from + " -> " + to, code}; };
    std::wstring source = WidePath(from), target = WidePath(to);
    if (!replace && GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) return fail(ERROR_FILE_EXISTS);

    // Into a temporary file beside the target, renamed only when whole: an
    // earlier target survives a failed or cancelled copy. The copy makes a
    // new file only; a name taken meanwhile is tried again with another.
    std::wstring temporary;
    CopyContext context{&progress};
    BOOL cancel = FALSE;
    for (int attempt = 0;; ++attempt) {
        std::string name = TemporaryBeside(to);
        if (name.empty()) return fail(ERROR_GEN_FAILURE);
        temporary = WidePath(name);
        context = CopyContext{&progress};
        if (CopyFileExW(source.c_str(), temporary.c_str(), progress ? OnCopyProgress : nullptr,
                        progress ? &context : nullptr, &cancel, COPY_FILE_FAIL_IF_EXISTS))
            break;
        DWORD error = context.cancelled ? ERROR_REQUEST_ABORTED : GetLastError();
        bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        if (!taken) RemoveTemporary(temporary);  // never remove what someone else put there
        if (!taken || attempt + 1 == kTemporaryAttempts) return fail(error);
    }
    if (progress && !context.reported) {
        // Wine's CopyFileExW never calls the routine: one report at the end,
        // which may still cancel.
        WIN32_FILE_ATTRIBUTE_DATA copied;
        uint64_t size = GetFileAttributesExW(temporary.c_str(), GetFileExInfoStandard, &copied)
                            ? Size(copied.nFileSizeHigh, copied.nFileSizeLow)
                            : 0;
        if (!progress(size, size)) {
            RemoveTemporary(temporary);
            return fail(ERROR_REQUEST_ABORTED);
        }
    }
    DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExW(temporary.c_str(), target.c_str(), flags)) {
        DWORD error = GetLastError();
        RemoveTemporary(temporary);
        return fail(error == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : error);
    }
    return {};
}

Status Win32FileSystem::moveFile(const std::string& from, const std::string& to, bool replace) {
    DWORD flags = MOVEFILE_COPY_ALLOWED | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), flags)) {
        return Failure{"move file", from + " -> " + to, GetLastError()};
    }
    return {};
}

Status Win32FileSystem::appendFile(const std::string& path, std::string_view data) {
    // Append-only access: every write lands at the end, also when another
    // process appends to the same log.
    UniqueFile file(CreateFileW(WidePath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Failure{"append to file", path, GetLastError()};
    if (!WriteAll(file.get(), data)) return Failure{"append to file", path, GetLastError()};
    return {};
}

Status Win32FileSystem::setAttributes(const std::string& path, uint32_t attributes) {
    if (!SetFileAttributesW(WidePath(path).c_str(), attributes)) return Failure{"set attributes", path, GetLastError()};
    return {};
}

Status Win32FileSystem::removeDirectory(const std::string& path) {
    if (!RemoveDirectoryW(WidePath(path).c_str())) return Failure{"remove folder", path, GetLastError()};
    return {};
}

Result<std::string> Win32FileSystem::longPathName(const std::string& path) {
    std::wstring wide = WidePath(path);
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD length = GetLongPathNameW(wide.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return Failure{"long path name", path, GetLastError()};
        if (length < buffer.size()) {
            buffer.resize(length);
            // The "\\?\" form goes back only where WidePath put it.
            return path.compare(0, 4, "\\\\?\\") == 0 ? text::Narrow(buffer) : NarrowPath(buffer);
        }
        buffer.assign(length, L'\0');  // the size it needs, terminator included
    }
    return Failure{"long path name", path, ERROR_INSUFFICIENT_BUFFER};
}

Result<std::unique_ptr<FileReader>> Win32FileSystem::openRead(const std::string& path) {
    UniqueFile file(CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return Failure{"open file", path, GetLastError()};
    return std::unique_ptr<FileReader>(std::make_unique<Win32FileReader>(std::move(file), path));
}

}  // namespace qnb::win32
