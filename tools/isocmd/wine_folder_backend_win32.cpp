// Test builds only: the ISO's files, extracted beside it by the test bed
// into "ISO.files", shown as a CD-ROM drive through Wine's mount manager
// (the way winecfg defines drives). Wine's own Virtual Disk API is a stub.
#include "tools/isocmd/backends_win32.h"

#include "platform/text.h"
#include "platform/win32/handles.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <vector>

namespace qnb::isocmd {

namespace {

// Wine's extension of the mount manager (its include/ddk/mountmgr.h).
constexpr DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
constexpr ULONG kIso9660 = 3;  // MOUNTMGR_FS_TYPE_ISO9660
struct UnixDrive {
    ULONG size;
    ULONG type;  // DRIVE_CDROM, or DRIVE_NO_ROOT_DIR to remove the drive
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;  // a NUL-terminated Unix path after the structure
    USHORT deviceOffset;
    USHORT labelOffset;
};
static_assert(sizeof(UnixDrive) == 32 && offsetof(UnixDrive, letter) == 24);

using UnixFileName = char*(CDECL*)(const wchar_t*);

UnixFileName WineUnixFileName() {
    return reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

Status Define(char letter, ULONG type, const std::string& unixPath, const std::string& what) {
    win32::UniqueFile manager(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!manager) return Failure{"open the mount manager", what, GetLastError()};
    std::vector<char> buffer(sizeof(UnixDrive) + unixPath.size() + 1, 0);
    UnixDrive drive{};
    drive.size = static_cast<ULONG>(buffer.size());
    drive.type = type;
    drive.fsType = kIso9660;
    drive.letter = static_cast<WCHAR>(letter);
    if (!unixPath.empty()) {
        drive.mountPointOffset = sizeof(UnixDrive);
        std::memcpy(buffer.data() + sizeof(UnixDrive), unixPath.c_str(), unixPath.size());
    }
    std::memcpy(buffer.data(), &drive, sizeof drive);
    DWORD returned = 0;
    if (!DeviceIoControl(manager.get(), kDefineUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, 0,
                         &returned, nullptr)) {
        return Failure{"define the drive", what, GetLastError()};
    }
    return Status::Ok();
}

class WineFolderBackend : public Backend {
public:
    std::string CannotAttach() override {
        return WineUnixFileName() ? std::string() : "the test backend runs under Wine only";
    }

    bool LetterFree(char letter) override { return isocmd::LetterFree(letter); }

    Status Attach(char letter, const std::string& iso) override {
        if (GetFileAttributesW(text::Wide(iso).c_str()) == INVALID_FILE_ATTRIBUTES) {
            return Failure{"open virtual disk", iso, GetLastError()};
        }
        std::string folder = iso + ".files";
        DWORD attributes = GetFileAttributesW(text::Wide(folder).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return Failure{"find the extracted files", folder, ERROR_PATH_NOT_FOUND};
        }
        char* unixPath = WineUnixFileName()(text::Wide(folder).c_str());
        if (!unixPath) return Failure{"find the extracted files", folder, ERROR_PATH_NOT_FOUND};
        std::string path = unixPath;
        HeapFree(GetProcessHeap(), 0, unixPath);
        return Define(letter, DRIVE_CDROM, path, iso);
    }

    Status Detach(char letter, const std::string& iso) override { return Define(letter, DRIVE_NO_ROOT_DIR, "", iso); }
};

}  // namespace

std::unique_ptr<Backend> MakeWineFolderBackend() { return std::make_unique<WineFolderBackend>(); }

}  // namespace qnb::isocmd
