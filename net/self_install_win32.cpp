#include "net/self_install_win32.h"

#include "platform/paths.h"
#include "platform/text.h"
#include "platform/win32/handles.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

namespace qnb::net::win32 {

namespace {

using qnb::win32::UniqueFile;

// The same file on disk, whatever the spelling of the two paths.
bool SameFile(const std::string& a, const std::string& b) {
    auto open = [](const std::string& path) {
        return UniqueFile(CreateFileW(text::Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    UniqueFile fa = open(a), fb = open(b);
    BY_HANDLE_FILE_INFORMATION ia, ib;
    if (!fa || !fb || !GetFileInformationByHandle(fa.get(), &ia) || !GetFileInformationByHandle(fb.get(), &ib)) {
        return false;
    }
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
           ia.nFileIndexLow == ib.nFileIndexLow;
}

template <typename T>
struct ComRelease {
    T* p = nullptr;
    ~ComRelease() {
        if (p) p->Release();
    }
};

}  // namespace

std::string ProgramPath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return text::Narrow(std::wstring_view(buffer.data(), n));
        if (buffer.size() > 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

bool CopyProgramToWorkspace(FileSystem& files, const std::string& program, const std::string& workspace) {
    if (program.empty() || workspace.empty()) return false;
    std::string target = workspace + kProgramFileName;
    if (SameFile(program, target)) return true;
    std::optional<std::string> bytes = files.readFile(program);
    return bytes && files.writeFile(target, *bytes);
}

std::string DesktopFolder() {
    wchar_t path[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return text::Narrow(path);
}

bool CreateProgramShortcut(const std::string& folder, const std::string& target) {
    if (folder.empty()) return false;
    HRESULT com = CoInitialize(nullptr);
    bool ok = false;
    {
        ComRelease<IShellLinkW> link;
        ComRelease<IPersistFile> file;
        if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                       reinterpret_cast<void**>(&link.p))) &&
            SUCCEEDED(link.p->SetPath(text::Wide(target).c_str())) &&
            SUCCEEDED(link.p->SetDescription(text::Wide(kShortcutDescription).c_str())) &&
            SUCCEEDED(link.p->SetShowCmd(SW_SHOW)) &&
            SUCCEEDED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)))) {
            std::wstring shortcut = text::Wide(paths::Join(folder, std::string(kShortcutName) + ".lnk"));
            DeleteFileW(shortcut.c_str());
            ok = SUCCEEDED(file.p->Save(shortcut.c_str(), TRUE));
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return ok;
}

void InstallSelf(FileSystem& files, const std::string& workspace) {
    if (workspace.empty()) return;
    CopyProgramToWorkspace(files, ProgramPath(), workspace);
    CreateProgramShortcut(DesktopFolder(), workspace + kProgramFileName);
}

}  // namespace qnb::net::win32
