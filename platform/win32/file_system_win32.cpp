#include "platform/win32/file_system_win32.h"

#include "platform/text.h"
#include "platform/win32/handles.h"

#include <direct.h>
#include <io.h>

#include <atomic>

namespace qnb::win32 {

bool Win32FileSystem::access(const std::string& path, int mode) {
    return _waccess(text::Wide(path).c_str(), mode) == 0;
}

bool Win32FileSystem::makeDirectory(const std::string& path) { return _wmkdir(text::Wide(path).c_str()) == 0; }

std::optional<std::string> Win32FileSystem::readFile(const std::string& path) {
    UniqueFile file(CreateFileW(text::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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
    static std::atomic<unsigned> counter{0};
    std::wstring target = text::Wide(path);
    std::wstring temporary =
        target + L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(counter++);
    bool ok;
    {
        UniqueFile file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        ok = true;
        for (size_t done = 0; ok && done < data.size();) {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 30));
            DWORD written = 0;
            ok = WriteFile(file.get(), data.data() + done, chunk, &written, nullptr) && written > 0;
            done += written;
        }
        ok = ok && FlushFileBuffers(file.get());
    }
    // Only a complete, flushed file replaces the old one.
    ok = ok && MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(temporary.c_str());
    return ok;
}

std::vector<DirectoryEntry> Win32FileSystem::list(const std::string& folder) {
    std::vector<DirectoryEntry> entries;
    WIN32_FIND_DATAW data;
    UniqueFindFile find(FindFirstFileW(text::Wide(folder + "*").c_str(), &data));
    if (!find) return entries;
    do {
        entries.push_back({text::Narrow(data.cFileName), data.dwFileAttributes});
    } while (FindNextFileW(find.get(), &data));
    return entries;
}

bool Win32FileSystem::deleteFile(const std::string& path) { return DeleteFileW(text::Wide(path).c_str()) != 0; }

}  // namespace qnb::win32
