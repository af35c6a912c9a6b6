// rand_s is declared only when this comes before the first C library header.
#define _CRT_RAND_S
#include "platform/win32/protected_folder.h"

#include "platform/paths.h"
#include "platform/text.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_path.h"

#include <stdlib.h>
#include <aclapi.h>
#include <sddl.h>

#include <cwchar>
#include <mutex>
#include <vector>

namespace qnb::win32 {

const wchar_t kProtectedFolderDescriptor[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
const wchar_t kProtectedFolderAccessList[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

namespace {

// What lets a holder change a folder or what it holds.
constexpr DWORD kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                                FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

bool IsAdministratorsOrSystem(PSID sid) {
    return sid && IsValidSid(sid) &&
           (IsWellKnownSid(sid, WinLocalSystemSid) || IsWellKnownSid(sid, WinBuiltinAdministratorsSid));
}

// A security descriptor made from SDDL, freed with the object.
struct Descriptor {
    explicit Descriptor(const wchar_t* sddl) {
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &value, nullptr))
            value = nullptr;
    }
    ~Descriptor() {
        if (value) LocalFree(value);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    PSECURITY_DESCRIPTOR value = nullptr;
};

std::mutex g_heldMutex;
std::vector<UniqueFile>* g_heldFolders = new std::vector<UniqueFile>();  // held for the whole process

// Creates a folder with sddl; keeps the last error for the caller.
bool CreateWithDescriptor(const std::wstring& path, const wchar_t* sddl) {
    BOOL made = FALSE;
    DWORD error = 0;
    {
        Descriptor descriptor(sddl);
        if (!descriptor.value) return false;
        SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.value, FALSE};
        made = CreateDirectoryW(path.c_str(), &attributes);
        error = GetLastError();
    }
    SetLastError(error);  // freeing the descriptor may have changed it
    return made != 0;
}

// A folder opened as itself (a junction or link is not followed), to read
// and set its security.
UniqueFile OpenFolderItself(const std::wstring& path, DWORD access) {
    return UniqueFile(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                  nullptr));
}

// The path's own attributes (a final junction or link not followed) say
// whether it is one; Wine shows a host's link so only there, not on the
// handle of what it opens.
bool PathIsLinkOrNoFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsReparsePoint(HANDLE folder) {
    BY_HANDLE_FILE_INFORMATION info{};
    return !GetFileInformationByHandle(folder, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
           !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

FolderTrust JudgeDescriptor(PSECURITY_DESCRIPTOR descriptor) {
    if (!descriptor || !IsValidSecurityDescriptor(descriptor)) return FolderTrust::kUnknown;
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || !IsAdministratorsOrSystem(owner))
        return FolderTrust::kOthersMayChange;
    BOOL present = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) return FolderTrust::kUnknown;
    if (!present || !dacl) return FolderTrust::kOthersMayChange;  // no access list lets everyone in
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace)) return FolderTrust::kUnknown;
        auto* header = static_cast<ACE_HEADER*>(ace);
        if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return FolderTrust::kOthersMayChange;  // fail closed
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        if ((allowed->Mask & kChangeRights) && !IsAdministratorsOrSystem(&allowed->SidStart))
            return FolderTrust::kOthersMayChange;
    }
    return FolderTrust::kTrusted;
}

FolderTrust JudgeDescriptor(const wchar_t* sddl) {
    Descriptor descriptor(sddl);
    return descriptor.value ? JudgeDescriptor(descriptor.value) : FolderTrust::kUnknown;
}

FolderTrust JudgeHeldFolder(HANDLE folder) {
    if (IsReparsePoint(folder)) return FolderTrust::kReparsePoint;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                        nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return FolderTrust::kUnknown;
    UniqueLocalMemory owner(descriptor);
    return JudgeDescriptor(descriptor);
}

std::string TemporaryFolder() {
    wchar_t buffer[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return {};
    std::string folder = text::Narrow(std::wstring(buffer, length));
    return paths::WithTrailingSeparator(folder);
}

std::optional<std::string> MakeProtectedFolder(const std::string& parent,
                                               const std::function<FolderTrust(HANDLE)>& judge) {
    if (parent.empty()) return std::nullopt;
    for (int attempt = 0; attempt < 16; ++attempt) {
        unsigned int a = 0, b = 0;
        if (rand_s(&a) != 0 || rand_s(&b) != 0) return std::nullopt;
        wchar_t name[32];
        swprintf(name, 32, L"QNB%08X%08X", a, b);
        std::wstring path = text::Wide(parent) + name;
        // CreateDirectory never takes a folder that already exists, so a
        // name planted in advance is skipped, not used. Setting the owner
        // needs an elevated token; without one the access list still holds.
        if (!CreateWithDescriptor(path, kProtectedFolderDescriptor)) {
            if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
            if (!CreateWithDescriptor(path, kProtectedFolderAccessList)) {
                if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
                return std::nullopt;
            }
        }
        // Held open as itself, without delete sharing: nobody can rename or
        // remove it (and put another in its place) while the process runs.
        // What is held is checked, since between the creation and the
        // opening another process of the user could have swapped it.
        UniqueFile held(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | READ_CONTROL | FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!held || PathIsLinkOrNoFolder(path) || judge(held.get()) != FolderTrust::kTrusted) return std::nullopt;
        std::lock_guard lock(g_heldMutex);
        g_heldFolders->push_back(std::move(held));
        return text::Narrow(path) + "\\";
    }
    return std::nullopt;
}

Status Win32FolderSecurity::CreateProtected(const std::string& path) {
    std::wstring wide = WidePath(path);
    if (CreateWithDescriptor(wide, kProtectedFolderDescriptor) || CreateWithDescriptor(wide, kProtectedFolderAccessList))
        return {};
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) return {};
    return Failure{"create protected folder", path, error};
}

FolderTrust Win32FolderSecurity::Inspect(const std::string& path) {
    std::wstring wide = WidePath(std::string(paths::WithoutTrailingSeparator(path)));
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FolderTrust::kUnknown;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return FolderTrust::kReparsePoint;
    UniqueFile folder = OpenFolderItself(wide, READ_CONTROL | FILE_READ_ATTRIBUTES);
    if (!folder) return FolderTrust::kUnknown;
    if (IsReparsePoint(folder.get())) return FolderTrust::kReparsePoint;
    if (path.size() < 2 || path[1] != ':') return FolderTrust::kNotFixed;
    std::wstring root = text::Wide(path.substr(0, 2)) + L"\\";
    if (GetDriveTypeW(root.c_str()) != DRIVE_FIXED) return FolderTrust::kNotFixed;
    DWORD flags = 0;
    if (!GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
        return FolderTrust::kUnknown;
    if (!(flags & FILE_PERSISTENT_ACLS)) return FolderTrust::kNoAccessLists;
    return JudgeHeldFolder(folder.get());
}

Status Win32FolderSecurity::Protect(const std::string& path) {
    // The folder is opened as itself and its security set on that handle:
    // a junction put there meanwhile is refused, never followed.
    std::wstring wide = WidePath(std::string(paths::WithoutTrailingSeparator(path)));
    if (PathIsLinkOrNoFolder(wide)) return Failure{"protect folder", path, ERROR_REPARSE_ATTRIBUTE_CONFLICT};
    UniqueFile folder = OpenFolderItself(wide, READ_CONTROL | WRITE_DAC | WRITE_OWNER | FILE_READ_ATTRIBUTES);
    if (!folder) return Failure{"open folder", path, GetLastError()};
    if (IsReparsePoint(folder.get())) return Failure{"protect folder", path, ERROR_REPARSE_ATTRIBUTE_CONFLICT};
    Descriptor descriptor(kProtectedFolderDescriptor);
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    if (!descriptor.value || !GetSecurityDescriptorOwner(descriptor.value, &owner, &defaulted) ||
        !GetSecurityDescriptorDacl(descriptor.value, &present, &dacl, &defaulted))
        return Failure{"protect folder", path, GetLastError()};
    DWORD error = SetSecurityInfo(folder.get(), SE_FILE_OBJECT,
                                  OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                      PROTECTED_DACL_SECURITY_INFORMATION,
                                  owner, nullptr, dacl, nullptr);
    if (error != ERROR_SUCCESS) {
        // Without the right to set the owner, the access list alone.
        error = SetSecurityInfo(folder.get(), SE_FILE_OBJECT,
                                DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                dacl, nullptr);
    }
    if (error != ERROR_SUCCESS) return Failure{"protect folder", path, error};
    return {};
}

std::optional<std::string> Win32FolderSecurity::MakeHeldFolder(const std::string& parent) {
    return MakeProtectedFolder(parent);
}

}  // namespace qnb::win32
