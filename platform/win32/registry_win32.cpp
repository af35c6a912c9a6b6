#include "platform/win32/registry_win32.h"

#include "platform/text.h"
#include "platform/win32/handles.h"

#include <cstring>
#include <vector>

namespace qnb::win32 {

namespace {

HKEY RootKey(RegistryRoot root) { return root == RegistryRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

Result<RawValue> ReadRaw(RegistryRoot root, const std::string& key, const std::string& value) {
    auto fail = [&](LONG status) {
        return Failure{"read registry value", RegistryPlace(root, key, value), static_cast<uint32_t>(status)};
    };
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExW(RootKey(root), text::Wide(key).c_str(), 0, KEY_QUERY_VALUE, &opened);
    if (status != ERROR_SUCCESS) return fail(status);
    UniqueRegistryKey owner(opened);
    std::wstring name = text::Wide(value);

    RawValue raw;
    DWORD size = 0;
    status = RegQueryValueExW(opened, name.c_str(), nullptr, &raw.type, nullptr, &size);
    // Another writer may make the value longer between two calls.
    for (int attempt = 0; attempt < 8 && (status == ERROR_SUCCESS || status == ERROR_MORE_DATA); ++attempt) {
        raw.data.resize(size);
        DWORD got = size;
        status = RegQueryValueExW(opened, name.c_str(), nullptr, &raw.type, raw.data.empty() ? nullptr : raw.data.data(),
                                  &got);
        if (status == ERROR_SUCCESS) {
            raw.data.resize(got);
            return raw;
        }
        size = got;
    }
    return fail(status);
}

}  // namespace

Status Win32Registry::OpenKey(RegistryRoot root, const std::string& key) {
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExW(RootKey(root), text::Wide(key).c_str(), 0, KEY_QUERY_VALUE, &opened);
    if (status != ERROR_SUCCESS) return Failure{"open registry key", RegistryPlace(root, key, ""), static_cast<uint32_t>(status)};
    RegCloseKey(opened);
    return {};
}

Result<std::string> Win32Registry::ReadString(RegistryRoot root, const std::string& key, const std::string& value) {
    Result<RawValue> raw = ReadRaw(root, key, value);
    if (!raw) return raw.failure();
    if (raw->type != REG_SZ && raw->type != REG_EXPAND_SZ) {
        return Failure{"read registry value", RegistryPlace(root, key, value), ERROR_DATATYPE_MISMATCH};
    }
    // Stored as written: the terminator may be missing, the size odd.
    std::wstring text(raw->data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), raw->data.data(), text.size() * sizeof(wchar_t));
    size_t end = text.find(L'\0');
    if (end != std::wstring::npos) text.resize(end);
    return text::Narrow(text);
}

Result<uint32_t> Win32Registry::ReadNumber(RegistryRoot root, const std::string& key, const std::string& value) {
    Result<RawValue> raw = ReadRaw(root, key, value);
    if (!raw) return raw.failure();
    if (raw->type != REG_DWORD || raw->data.size() != sizeof(DWORD)) {
        return Failure{"read registry value", RegistryPlace(root, key, value), ERROR_DATATYPE_MISMATCH};
    }
    DWORD number;
    std::memcpy(&number, raw->data.data(), sizeof number);
    return static_cast<uint32_t>(number);
}

}  // namespace qnb::win32
