#include "ui/security_probe_win32.h"

#include "platform/paths.h"
#include "platform/text.h"
#include "platform/win32/handles.h"

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

namespace qnb::ui {

namespace {

std::optional<std::vector<BYTE>> ReadValue(HKEY root, const std::string& key, const std::string& value, DWORD wantType,
                                           size_t maxBytes) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, text::Wide(key).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return std::nullopt;
    win32::UniqueRegistryKey owner(opened);
    std::vector<BYTE> data(maxBytes + sizeof(wchar_t));
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(maxBytes);
    std::wstring name = text::Wide(value);
    if (RegQueryValueExW(opened, value.empty() ? nullptr : name.c_str(), nullptr, &type, data.data(), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (type != wantType && !(wantType == REG_SZ && type == REG_EXPAND_SZ)) return std::nullopt;
    data.resize(size);
    return data;
}

std::optional<std::string> TextOf(const std::optional<std::vector<BYTE>>& data) {
    if (!data) return std::nullopt;
    std::wstring wide(reinterpret_cast<const wchar_t*>(data->data()), data->size() / sizeof(wchar_t));
    while (!wide.empty() && wide.back() == L'\0') wide.pop_back();
    return text::Narrow(wide);
}

}  // namespace

std::optional<uint32_t> Win32SecurityProbe::ReadDword(const std::string& key, const std::string& value) {
    auto data = ReadValue(HKEY_LOCAL_MACHINE, key, value, REG_DWORD, sizeof(DWORD));
    if (!data || data->size() != sizeof(DWORD)) return std::nullopt;
    return *reinterpret_cast<const DWORD*>(data->data());
}

std::optional<std::string> Win32SecurityProbe::ReadText(const std::string& key, const std::string& value,
                                                        size_t maxBytes) {
    // maxBytes counts ANSI bytes; a UTF-16 value takes up to twice as many.
    return TextOf(ReadValue(HKEY_LOCAL_MACHINE, key, value, REG_SZ, maxBytes * sizeof(wchar_t)));
}

std::optional<std::string> Win32SecurityProbe::ReadClassesDefault(const std::string& key) {
    return TextOf(ReadValue(HKEY_CLASSES_ROOT, key, "", REG_SZ, MAX_PATH * sizeof(wchar_t)));
}

bool Win32SecurityProbe::Exists(const std::string& path) {
    return GetFileAttributesW(text::Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Win32SecurityProbe::ProgramFiles() {
    wchar_t folder[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, folder))) return {};
    return paths::WithTrailingSeparator(text::Narrow(folder));
}

std::vector<DirectoryEntry> Win32SecurityProbe::List(const std::string& folder) {
    std::vector<DirectoryEntry> entries;
    WIN32_FIND_DATAW found;
    win32::UniqueFindFile find(FindFirstFileW(text::Wide(folder + "*").c_str(), &found));
    if (!find) return entries;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        entries.push_back({text::Narrow(name), found.dwFileAttributes});
    } while (FindNextFileW(find.get(), &found));
    return entries;
}

std::optional<std::vector<std::string>> Win32SecurityProbe::ProcessNames() {
    win32::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return std::nullopt;
    std::vector<std::string> names;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        names.push_back(text::Narrow(entry.szExeFile));
    }
    return names;
}

std::optional<bool> Win32SecurityProbe::ServiceRunning(const std::string& name) {
    // Asking for a service's state needs no more than a connection.
    win32::UniqueServiceHandle manager(OpenSCManagerW(nullptr, SERVICES_ACTIVE_DATABASEW, SC_MANAGER_CONNECT));
    if (!manager) return std::nullopt;
    std::optional<bool> running;
    win32::UniqueServiceHandle service(OpenServiceW(manager.get(), text::Wide(name).c_str(), SERVICE_QUERY_STATUS));
    SERVICE_STATUS status{};
    if (service && QueryServiceStatus(service.get(), &status)) running = status.dwCurrentState == SERVICE_RUNNING;
    return running;
}

}  // namespace qnb::ui
