// The program's copy into the workspace folder and its shortcut, in a
// temporary folder of the Wine prefix.
#include "net/self_install_win32.h"

#include "net/report_facts_win32.h"
#include "platform/text.h"
#include "platform/win32/file_system_win32.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shobjidl.h>
#include <windows.h>

namespace qnb::net::win32 {
namespace {

class SelfInstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = text::Narrow(temp) + "qnb-self-install-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryW(text::Wide(folder).c_str(), nullptr);
    }
    void TearDown() override {
        for (const DirectoryEntry& e : files.list(folder)) {
            if (e.name != "." && e.name != "..") files.deleteFile(folder + e.name);
        }
        RemoveDirectoryW(text::Wide(folder).c_str());
    }
    std::string folder;  // ends with a backslash, as the workspace path does
    qnb::win32::Win32FileSystem files;
};

TEST_F(SelfInstallTest, TheProgramIsCopiedWholeIntoTheWorkspace) {
    std::string program = ProgramPath();
    ASSERT_FALSE(program.empty());
    ASSERT_TRUE(CopyProgramToWorkspace(files, program, folder));
    EXPECT_EQ(files.readFile(folder + "QNBReinstaller.exe"), files.readFile(program));

    // Started from the workspace copy itself (in any spelling), nothing is written.
    std::string copy = folder + "QNBReinstaller.exe";
    ASSERT_TRUE(files.writeFile(copy, "the running copy"));
    std::string otherSpelling = folder.substr(0, folder.size() - 1) + "\\\\qnbreinstaller.EXE";
    EXPECT_TRUE(CopyProgramToWorkspace(files, otherSpelling, folder));
    EXPECT_EQ(files.readFile(copy), std::optional<std::string>("the running copy"));

    EXPECT_FALSE(CopyProgramToWorkspace(files, folder + "missing.exe", folder));
    EXPECT_FALSE(CopyProgramToWorkspace(files, program, "")) << "no workspace folder: no copy in the current drive's root";
}

TEST_F(SelfInstallTest, TheShortcutPointsAtTheCopyAndReplacesAnEarlierOne) {
    std::string target = folder + "QNBReinstaller.exe";
    ASSERT_TRUE(files.writeFile(target, "program"));
    std::string shortcut = folder + "Tessaly重装助手.lnk";
    ASSERT_TRUE(files.writeFile(shortcut, "an old, broken shortcut"));
    ASSERT_TRUE(CreateProgramShortcut(folder, target));

    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&link))));
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    ASSERT_TRUE(SUCCEEDED(file->Load(text::Wide(shortcut).c_str(), STGM_READ)));
    wchar_t path[MAX_PATH] = {}, description[MAX_PATH] = {};
    EXPECT_TRUE(SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0)));
    EXPECT_EQ(CompareStringOrdinal(path, -1, text::Wide(target).c_str(), -1, TRUE), CSTR_EQUAL) << text::Narrow(path);
    EXPECT_TRUE(SUCCEEDED(link->GetDescription(description, MAX_PATH)));
    EXPECT_EQ(text::Narrow(description), "Tessaly重装助手-不用学的快速重装工具");
    file->Release();
    link->Release();
    CoUninitialize();
}

TEST(ReportFactsWin32, TheRunningWindowsIsRead) {
    std::optional<WindowsReportFacts> facts = ReadReportFacts();
    ASSERT_TRUE(facts);
    EXPECT_GE(facts->major, 5);
    EXPECT_GT(facts->build, 0);
    EXPECT_TRUE(facts->architecture == 0 || facts->architecture == 9) << facts->architecture;
}

}  // namespace
}  // namespace qnb::net::win32
