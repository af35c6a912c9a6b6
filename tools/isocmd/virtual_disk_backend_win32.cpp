#include "tools/isocmd/backends_win32.h"

#include "platform/text.h"
#include "platform/win32/handles.h"

#include <windows.h>
#include <winioctl.h>
#include <virtdisk.h>

#include <string>

namespace qnb::isocmd {

namespace {

// VIRTUAL_STORAGE_TYPE_VENDOR_MICROSOFT.
constexpr GUID kMicrosoft = {0xEC984AEC, 0xA0F9, 0x47e9, {0x90, 0x1F, 0x71, 0x41, 0x5A, 0x66, 0x34, 0x5B}};
// How long a newly attached disc may take to show its volume.
constexpr int kVolumeWaitMs = 15000;

struct VirtDisk {
    decltype(&::OpenVirtualDisk) open = nullptr;
    decltype(&::AttachVirtualDisk) attach = nullptr;
    decltype(&::DetachVirtualDisk) detach = nullptr;
    decltype(&::GetVirtualDiskPhysicalPath) physicalPath = nullptr;
    bool Complete() const { return open && attach && detach && physicalPath; }
};

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

std::wstring SystemFolder() {
    wchar_t buffer[MAX_PATH];
    UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(buffer, length);
}

// The running Windows' own version (GetVersionEx answers what the manifest allows).
bool AtLeastWindows8() {
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto rtlGetVersion = Lookup<GetVersion>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!rtlGetVersion || rtlGetVersion(&version) != 0) return false;
    return version.dwMajorVersion > 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion >= 2);
}

// Attaching needs the volume-management privilege, which an administrator
// holds but does not have switched on.
void EnableManageVolumePrivilege() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) return;
    win32::UniqueHandle token(raw);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, SE_MANAGE_VOLUME_NAME, &privileges.Privileges[0].Luid)) {
        AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    }
}

std::optional<STORAGE_DEVICE_NUMBER> DeviceNumber(const std::wstring& device) {
    win32::UniqueFile handle(CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         0, nullptr));
    if (!handle) return std::nullopt;
    STORAGE_DEVICE_NUMBER number{};
    DWORD returned = 0;
    if (!DeviceIoControl(handle.get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof number, &returned,
                         nullptr)) {
        return std::nullopt;
    }
    return number;
}

// The volume ("\\?\Volume{...}\") on the disc device of an attached ISO.
std::wstring VolumeOf(const STORAGE_DEVICE_NUMBER& disc) {
    wchar_t name[MAX_PATH];
    HANDLE search = FindFirstVolumeW(name, MAX_PATH);
    if (search == INVALID_HANDLE_VALUE) return {};
    std::wstring found;
    do {
        std::wstring volume = name;
        std::wstring device = volume;
        if (!device.empty() && device.back() == L'\\') device.pop_back();
        std::optional<STORAGE_DEVICE_NUMBER> number = DeviceNumber(device);
        if (number && number->DeviceType == disc.DeviceType && number->DeviceNumber == disc.DeviceNumber) {
            found = volume;
            break;
        }
    } while (FindNextVolumeW(search, name, MAX_PATH));
    FindVolumeClose(search);
    return found;
}

class VirtualDiskBackend : public Backend {
public:
    VirtualDiskBackend() {
        if (!AtLeastWindows8()) return;
        std::wstring system = SystemFolder();
        if (system.empty()) return;
        // By full path: never a virtdisk.dll planted beside the tool.
        module_ = LoadLibraryW((system + L"\\virtdisk.dll").c_str());
        if (!module_) return;
        api_.open = Lookup<decltype(api_.open)>(module_, "OpenVirtualDisk");
        api_.attach = Lookup<decltype(api_.attach)>(module_, "AttachVirtualDisk");
        api_.detach = Lookup<decltype(api_.detach)>(module_, "DetachVirtualDisk");
        api_.physicalPath = Lookup<decltype(api_.physicalPath)>(module_, "GetVirtualDiskPhysicalPath");
    }

    std::string CannotAttach() override {
        if (!AtLeastWindows8()) return "this Windows cannot attach ISO files (Windows attaches them from Windows 8 on)";
        if (!api_.Complete()) return "this Windows has no Virtual Disk API to attach ISO files with";
        return {};
    }

    bool LetterFree(char letter) override { return isocmd::LetterFree(letter); }

    Status Attach(char letter, const std::string& iso) override {
        EnableManageVolumePrivilege();
        win32::UniqueHandle disk;
        if (DWORD error = Open(iso, &disk)) return Failure{"open virtual disk", iso, error};
        ATTACH_VIRTUAL_DISK_PARAMETERS parameters{};
        parameters.Version = ATTACH_VIRTUAL_DISK_VERSION_1;
        // Read-only is required for ISO files; permanent: it outlives this
        // process; no letter: the one asked for is given below.
        auto flags = static_cast<ATTACH_VIRTUAL_DISK_FLAG>(ATTACH_VIRTUAL_DISK_FLAG_READ_ONLY |
                                                           ATTACH_VIRTUAL_DISK_FLAG_NO_DRIVE_LETTER |
                                                           ATTACH_VIRTUAL_DISK_FLAG_PERMANENT_LIFETIME);
        if (DWORD error = api_.attach(disk.get(), nullptr, flags, 0, &parameters, nullptr)) {
            return Failure{"attach virtual disk", iso, error};
        }
        Status given = GiveLetter(disk.get(), letter, iso);
        if (!given) api_.detach(disk.get(), DETACH_VIRTUAL_DISK_FLAG_NONE, 0);
        return given;
    }

    Status Detach(char letter, const std::string& iso) override {
        std::wstring root = {static_cast<wchar_t>(letter), L':', L'\\'};
        DeleteVolumeMountPointW(root.c_str());  // the disc goes anyway; its letter with it
        win32::UniqueHandle disk;
        if (DWORD error = Open(iso, &disk)) return Failure{"open virtual disk", iso, error};
        if (DWORD error = api_.detach(disk.get(), DETACH_VIRTUAL_DISK_FLAG_NONE, 0)) {
            return Failure{"detach virtual disk", iso, error};
        }
        return Status::Ok();
    }

private:
    DWORD Open(const std::string& iso, win32::UniqueHandle* disk) {
        if (!api_.Complete()) return ERROR_PROC_NOT_FOUND;
        VIRTUAL_STORAGE_TYPE type{VIRTUAL_STORAGE_TYPE_DEVICE_ISO, kMicrosoft};
        HANDLE raw = nullptr;
        // Read access includes attaching read-only and detaching.
        DWORD error = api_.open(&type, text::Wide(iso).c_str(), VIRTUAL_DISK_ACCESS_READ, OPEN_VIRTUAL_DISK_FLAG_NONE,
                                nullptr, &raw);
        if (error == ERROR_SUCCESS) disk->reset(raw);
        return error;
    }

    Status GiveLetter(HANDLE disk, char letter, const std::string& iso) {
        wchar_t path[MAX_PATH];
        ULONG size = sizeof path;
        if (DWORD error = api_.physicalPath(disk, &size, path)) return Failure{"find the attached disc", iso, error};
        std::optional<STORAGE_DEVICE_NUMBER> disc = DeviceNumber(path);
        if (!disc) return Failure{"find the attached disc", text::Narrow(path), GetLastError()};
        std::wstring root = {static_cast<wchar_t>(letter), L':', L'\\'};
        // The disc's volume arrives a moment after the attach.
        for (int waited = 0; waited <= kVolumeWaitMs; waited += 100) {
            std::wstring volume = VolumeOf(*disc);
            if (!volume.empty()) {
                if (SetVolumeMountPointW(root.c_str(), volume.c_str())) return Status::Ok();
                return Failure{"give the disc its letter", text::Narrow(root), GetLastError()};
            }
            Sleep(100);
        }
        return Failure{"find the disc's volume", text::Narrow(path), ERROR_TIMEOUT};
    }

    HMODULE module_ = nullptr;
    VirtDisk api_;
};

}  // namespace

bool LetterFree(char letter) {
    wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', 0};
    return GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR;
}

std::unique_ptr<Backend> MakeVirtualDiskBackend() { return std::make_unique<VirtualDiskBackend>(); }

}  // namespace qnb::isocmd
