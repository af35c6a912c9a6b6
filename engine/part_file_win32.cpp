#include "engine/part_file_win32.h"

#include "platform/paths.h"
#include "platform/text.h"
#include "platform/win32/handles.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>

namespace qnb::engine {

namespace {

EngineError FileError(DWORD code) {
    return code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL ? kErrorDiskFull : kErrorFile;
}

class Win32PartFile : public PartFile {
public:
    explicit Win32PartFile(win32::UniqueFile file) : file_(std::move(file)) {}
    bool WriteAt(uint64_t offset, const void* data, size_t size, EngineError* error) override {
        const auto* p = static_cast<const uint8_t*>(data);
        while (size > 0) {
            // An offset in the OVERLAPPED of a synchronous handle: a positional write.
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
            DWORD written = 0;
            if (!WriteFile(file_.get(), p, chunk, &written, &at) || written == 0) {
                *error = FileError(GetLastError());
                return false;
            }
            p += written;
            offset += written;
            size -= written;
        }
        return true;
    }
    bool Flush() override { return FlushFileBuffers(file_.get()) != 0; }

private:
    win32::UniqueFile file_;
};

}  // namespace

std::unique_ptr<PartFile> Win32FileStore::Create(const std::string& path, uint64_t size, EngineError* error) {
    std::wstring wide = text::Wide(path);
    win32::UniqueFile file(CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        *error = FileError(GetLastError());
        return nullptr;
    }
    if (size > 0) {
        // Sparse, so that a connection writing far into the file does not
        // wait while NTFS fills everything before its offset with zeros.
        // Without real reservation the free space is checked instead, so
        // that a disk without room fails here rather than half way.
        DWORD returned = 0;
        DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
        std::wstring folder = text::Wide(paths::Folder(path, paths::kEitherSlash));
        ULARGE_INTEGER available{};
        if (!folder.empty() && GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr) &&
            available.QuadPart < size) {
            *error = kErrorDiskFull;
            file.reset();
            DeleteFileW(wide.c_str());
            return nullptr;
        }
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(size);
        if (!SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get())) {
            *error = FileError(GetLastError());
            file.reset();
            DeleteFileW(wide.c_str());
            return nullptr;
        }
    }
    return std::make_unique<Win32PartFile>(std::move(file));
}

std::unique_ptr<PartFile> Win32FileStore::OpenExisting(const std::string& path, uint64_t size) {
    win32::UniqueFile file(CreateFileW(text::Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER actual{};
    if (!file || !GetFileSizeEx(file.get(), &actual) || static_cast<uint64_t>(actual.QuadPart) != size) return nullptr;
    return std::make_unique<Win32PartFile>(std::move(file));
}

bool Win32FileStore::Replace(const std::string& from, const std::string& to) {
    return MoveFileExW(text::Wide(from).c_str(), text::Wide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Win32FileStore::Remove(const std::string& path) { return DeleteFileW(text::Wide(path).c_str()) != 0; }

}  // namespace qnb::engine
