// The detectors on the machine's own registry, folders and processes.
#include "ui/security_probe_win32.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace qnb::ui {
namespace {

class RegistryValue {
public:
    RegistryValue(const wchar_t* key, const wchar_t* name, DWORD value) : key_(key) {
        HKEY opened;
        EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(opened, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(opened);
    }
    RegistryValue(const wchar_t* key, const wchar_t* name, const std::wstring& text) : key_(key) {
        HKEY opened;
        EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(opened);
    }
    ~RegistryValue() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, key_); }

private:
    const wchar_t* key_;
};

TEST(SecurityProbe, ReadsTheRegistryTheDetectorsAskFor) {
    Win32SecurityProbe probe([] { return 64; });
    EXPECT_FALSE(Detect360(probe));
    EXPECT_FALSE(DetectQq(probe));
    {
        RegistryValue site(L"SOFTWARE\\360Safe\\safemon", L"SiteAccess", DWORD(1));
        EXPECT_TRUE(Detect360(probe));
    }
    EXPECT_FALSE(Detect360(probe)) << "gone with its key";
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    {
        RegistryValue program(L"SOFTWARE\\Tencent\\QQPCMgr", L"ExeString", std::wstring(windows) + L"\\notepad.exe");
        EXPECT_TRUE(DetectQq(probe)) << "a key whose program exists";
    }
    {
        RegistryValue program(L"SOFTWARE\\Tencent\\QQPCMgr", L"ExeString", std::wstring(L"C:\\no\\such.exe"));
        EXPECT_FALSE(DetectQq(probe)) << "a key whose program is gone";
    }
    RegistryValue wrongType(L"SOFTWARE\\kingsoft\\Antivirus", L"Path", DWORD(5));
    EXPECT_FALSE(probe.ReadText("SOFTWARE\\kingsoft\\Antivirus", "Path", 260)) << "a number is not a path";
}

TEST(SecurityProbe, FoldersProcessesAndServices) {
    Win32SecurityProbe probe([] { return 4; });
    EXPECT_FALSE(probe.ProgramFiles().empty());
    EXPECT_EQ(probe.ProgramFiles().back(), '\\');
    auto names = probe.ProcessNames();
    ASSERT_TRUE(names);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    std::string me(path.begin() + static_cast<long>(path.rfind(L'\\') + 1), path.end());
    EXPECT_NE(std::find(names->begin(), names->end(), me), names->end()) << "this test program is running";
    EXPECT_FALSE(probe.ServiceRunning("NoSuchServiceOfOurs").value_or(false));
    EXPECT_FALSE(DetectDefender(probe)) << "Windows 7 has no Defender option";
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    std::string folder;
    for (wchar_t c : std::wstring(windows)) folder += static_cast<char>(c);
    bool sawSystem32 = false;
    for (const DirectoryEntry& e : probe.List(folder + "\\")) {
        EXPECT_NE(e.name, ".");
        if (e.name == "system32" || e.name == "System32") sawSystem32 = (e.attributes & kFileAttributeDirectory) != 0;
    }
    EXPECT_TRUE(sawSystem32);
}

}  // namespace
}  // namespace qnb::ui
