// The ISO tools' deployment on Windows, under Wine: the test program's
// payload (resource 135) is the payload test archive, whose
// isocmd/isocmd.exe is a small program and which lacks imagex.exe.
#include "images/iso_tools_win32.h"

#include "platform/paths.h"
#include "platform/sim/sim_folder_security.h"
#include "platform/text.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/process_win32.h"
#include "platform/win32/protected_folder.h"
#include "platform/win32/storage_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace qnb::images {
namespace {

class RecordingProcess : public ProcessPort {
public:
    Result<ProcessOutcome> Run(const ProcessRequest& request) override {
        requests.push_back(request);
        return inner.Run(request);
    }
    qnb::win32::Win32Process inner;
    std::vector<ProcessRequest> requests;
};

TEST(IsoToolsWin32, TheToolIsDeployedOnceIntoAFreshProtectedFolderAndStartedByFullPath) {
    qnb::win32::Win32FileSystem files;
    qnb::win32::Win32Storage storage;
    RecordingProcess process;
    // The simulator's judge: Wine keeps no access lists, so only links are refused.
    std::unique_ptr<FolderSecurity> folders = sim::MakeSimFolderSecurity(files);
    std::unique_ptr<IsoTools> tools = win32::MakeIsoTools(files, *folders, process, storage);

    ASSERT_TRUE(tools->RunIsoTool("-p", true, true)) << "deployed and started";
    ASSERT_EQ(process.requests.size(), 1u);
    const std::string program = process.requests[0].program;
    const std::string folder(paths::Folder(paths::WithoutTrailingSeparator(paths::Folder(program))));
    EXPECT_EQ(paths::FileName(program), "isocmd.exe");
    EXPECT_EQ(folder.rfind(qnb::win32::TemporaryFolder(), 0), 0u) << folder;
    // The download engine's protected folder (its access list holds on Windows
    // only: Wine keeps none): held open, it cannot be swapped for another.
    std::wstring held = text::Wide(std::string(paths::WithoutTrailingSeparator(folder)));
    EXPECT_FALSE(MoveFileW(held.c_str(), (held + L"-moved").c_str())) << folder;
    EXPECT_EQ(process.requests[0].currentFolder, std::string(paths::Folder(program)));
    EXPECT_TRUE(files.access(folder + "isocmd\\ISODrive.sys", FileSystem::kExists)) << "entries the payload has";
    EXPECT_FALSE(files.access(folder + "isocmd\\ISODrv64.sys", FileSystem::kExists)) << "and none it lacks";

    // The second run starts the deployed tool without writing it again.
    ASSERT_TRUE(tools->RunIsoTool("-e Z:", true, false));
    EXPECT_EQ(process.requests[1].program, program);
    EXPECT_EQ(tools->isocmdDeployments(), 1);

    EXPECT_FALSE(tools->ListImages("Z:\\sources\\install.wim")) << "the test payload has no imagex.exe";
    EXPECT_EQ(process.requests.size(), 2u) << "nothing started in its place";
}

}  // namespace
}  // namespace qnb::images
