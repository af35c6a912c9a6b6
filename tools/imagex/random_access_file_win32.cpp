#include "tools/imagex/random_access_file.h"

#include "platform/text.h"
#include "platform/win32/handles.h"

#include <windows.h>

namespace qnb::imagex {

namespace {

class Win32File : public RandomAccessFile {
public:
    Win32File(win32::UniqueFile file, uint64_t size) : file_(std::move(file)), size_(size) {}
    uint64_t size() const override { return size_; }
    bool ReadAt(uint64_t offset, size_t length, uint8_t* out) override {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN)) return false;
        while (length > 0) {
            DWORD piece = length > (1u << 20) ? (1u << 20) : static_cast<DWORD>(length);
            DWORD read = 0;
            if (!ReadFile(file_.get(), out, piece, &read, nullptr) || read == 0) return false;
            out += read;
            length -= read;
        }
        return true;
    }

private:
    win32::UniqueFile file_;
    uint64_t size_;
};

}  // namespace

std::unique_ptr<RandomAccessFile> OpenForReading(const std::string& path) {
    win32::UniqueFile file(CreateFileW(text::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) return nullptr;
    return std::make_unique<Win32File>(std::move(file), static_cast<uint64_t>(size.QuadPart));
}

}  // namespace qnb::imagex
