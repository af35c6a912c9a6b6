// rand_s is declared only when this comes before the first C library header.
#define _CRT_RAND_S
#include "download/downloads_win32.h"

#include "download/download_manager.h"
#include "download/engine_deploy.h"
#include "download/engine_library.h"
#include "payload/resource_archive.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/win32/handles.h"

#include <stdlib.h>
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <mutex>
#include <vector>

namespace qnb::win32 {

// Full control for SYSTEM and Administrators, read and run for users; the
// temporary folder's own entries (the user may do anything there) are not
// inherited.
const wchar_t kProtectedFolderDescriptor[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

namespace {

constexpr wchar_t kProtected[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

bool DaclLetsOnlyAdministratorsWrite(PACL dacl) {
    if (!dacl) return false;  // no access list at all lets everyone in
    constexpr DWORD kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                                   DELETE | WRITE_DAC | WRITE_OWNER | FILE_DELETE_CHILD | GENERIC_WRITE | GENERIC_ALL;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace)) return false;
        auto* header = static_cast<ACE_HEADER*>(ace);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        if ((allowed->Mask & kWriteRights) == 0) continue;
        PSID sid = &allowed->SidStart;
        if (!IsWellKnownSid(sid, WinLocalSystemSid) && !IsWellKnownSid(sid, WinBuiltinAdministratorsSid)) return false;
    }
    return true;
}

std::mutex g_heldMutex;
std::vector<UniqueFile>* g_heldFolders = new std::vector<UniqueFile>();

bool CreateWithDescriptor(const std::wstring& path, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    UniqueLocalMemory owner(descriptor);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    BOOL made = CreateDirectoryW(path.c_str(), &attributes);
    DWORD error = GetLastError();
    owner.reset();  // LocalFree may change the last error, which the caller reads
    SetLastError(error);
    return made != 0;
}

}  // namespace

std::string TemporaryFolder() {
    wchar_t buffer[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return {};
    std::string folder = text::Narrow(std::wstring(buffer, length));
    return paths::WithTrailingSeparator(folder);
}

std::optional<std::string> MakeProtectedFolder(const std::string& parent) {
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
            DWORD error = GetLastError();
            if (error == ERROR_ALREADY_EXISTS) continue;
            if (!CreateWithDescriptor(path, kProtected)) {
                if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
                return std::nullopt;
            }
        }
        // Held open without delete sharing: nobody can rename or remove it
        // (and put another in its place) while the process runs.
        UniqueFile held(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!held) return std::nullopt;
        std::lock_guard lock(g_heldMutex);
        g_heldFolders->push_back(std::move(held));
        return text::Narrow(path) + "\\";
    }
    return std::nullopt;
}

bool OnlyAdministratorsMayWrite(const std::string& folder) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(text::Wide(folder).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    UniqueLocalMemory owner(descriptor);  // dacl points into it
    return DaclLetsOnlyAdministratorsWrite(dacl);
}

bool DescriptorLetsOnlyAdministratorsWrite(const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    UniqueLocalMemory owner(descriptor);
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    return GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) && present &&
           DaclLetsOnlyAdministratorsWrite(dacl);
}

void ConfigureDownloads(CDownloadManager& downloads, FileSystem& files, const EngineLocation& engine, Log* log) {
    DownloadManagerPorts ports;
    ports.files = &files;
    ports.log = log;
    ports.openEngine = [&engine, log](const StopToken& stop) -> std::unique_ptr<EngineLibrary> {
        // A download added before the deployment has finished waits for it.
        std::optional<std::string> path = engine.Wait(stop);
        if (!path || path->empty()) return nullptr;
        std::unique_ptr<EngineLibrary> library = LoadEngineLibrary(*path);
        if (!library) OrNoLog(log).Failed("download", {"load", *path, static_cast<uint32_t>(GetLastError())});
        return library;
    };
    ports.rename = [](const std::string& from, const std::string& to) {
        return MoveFileExW(text::Wide(from).c_str(), text::Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    };
    downloads.SetPorts(std::move(ports));
}

Status DeployDownloadEngine(FileSystem& files, ProcessPort& process, const std::string& workspace,
                            CDownloadManager& downloads, EngineLocation& engine) {
    CResourceArchive archive(files);
    archive.LoadFromResource(CResourceArchive::kPayloadId, CResourceArchive::kPayloadType);
    DeployPorts ports;
    ports.makeFolder = [] { return MakeProtectedFolder(TemporaryFolder()); };
    ports.extract = [&](const std::string& entry, const std::string& target) {
        return archive.ExtractFile(entry, target);
    };
    ports.longPath = [](const std::string& path) {
        std::wstring wide = text::Wide(path);
        wchar_t buffer[MAX_PATH + 1];
        DWORD length = GetLongPathNameW(wide.c_str(), buffer, MAX_PATH + 1);
        return length == 0 || length > MAX_PATH ? path : text::Narrow(std::wstring(buffer, length));
    };
    ports.runAndWait = [&process](const std::string& program, const std::string& folder) {
        ProcessRequest request;
        request.program = program;
        request.currentFolder = folder;
        request.newConsole = true;
        return process.Run(request).ok();
    };
    ports.initialiseDownloads = [&] { downloads.Initialise(workspace); };
    if (qnb::DeployDownloadEngine(ports, engine).empty()) return Failure{"deploy the download engine", "", 0};
    return Status::Ok();
}

}  // namespace qnb::win32
