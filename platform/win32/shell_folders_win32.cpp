#include "platform/win32/shell_folders_win32.h"

#include "platform/text.h"

#include <windows.h>
#include <shlobj.h>

namespace qnb::win32 {

namespace {

struct Known {
    ShellFolder folder;
    int csidl;
    const char* name;
};

constexpr Known kKnown[] = {
    {ShellFolder::kDesktop, CSIDL_DESKTOPDIRECTORY, "desktop"},
    {ShellFolder::kDocuments, CSIDL_PERSONAL, "documents"},
    {ShellFolder::kCommonDocuments, CSIDL_COMMON_DOCUMENTS, "common documents"},
    {ShellFolder::kWindows, CSIDL_WINDOWS, "windows"},
    {ShellFolder::kInternetCache, CSIDL_INTERNET_CACHE, "internet cache"},
};

}  // namespace

Result<std::string> Win32ShellFolders::Path(ShellFolder folder) {
    wchar_t buffer[MAX_PATH + 1] = {};
    if (folder == ShellFolder::kTemporary) {
        DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
        if (length == 0) return Failure{"shell folder", "temporary", GetLastError()};
        if (length > MAX_PATH) return Failure{"shell folder", "temporary", ERROR_INSUFFICIENT_BUFFER};
        return WithoutTrailingBackslash(text::Narrow(std::wstring_view(buffer, length)));
    }
    for (const Known& known : kKnown) {
        if (known.folder != folder) continue;
        HRESULT result = SHGetFolderPathW(nullptr, known.csidl, nullptr, SHGFP_TYPE_CURRENT, buffer);
        if (FAILED(result)) return Failure{"shell folder", known.name, static_cast<uint32_t>(result)};
        return WithoutTrailingBackslash(text::Narrow(buffer));
    }
    return Failure{"shell folder", std::to_string(static_cast<int>(folder)), ERROR_INVALID_PARAMETER};
}

}  // namespace qnb::win32
