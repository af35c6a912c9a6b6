// What the Wine tests of the backup and restore windows share: a machine
// in memory (in the preinstallation environment or not), the package's
// download and the installer as scripts, a camera that records, and the
// window's services wired to them. The clock stands at 3 May 2016, 10:00
// in UTC+8.
#pragma once

#include "app/app_context.h"
#include "installer/installer_owner.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_folder_security.h"
#include "platform/fake/memory_file_system.h"
#include "platform/sim/sim_storage.h"
#include "platform/sim/sim_system.h"
#include "ui/backup/desktop_camera.h"
#include "ui/backup/flow_services.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qnb::ui::test {

constexpr int64_t kNow = 1462240800;
constexpr char kPackageUrl[] = "http://127.0.0.1/TessalyPE.wim";
constexpr char kWorkspace[] = "D:\\Quenbrook\\Data\\";

class ScriptedDownloads : public DownloadTasks {
public:
    std::optional<DownloadFacts> Query(const std::string& url) override;
    void Add(const std::string& url, const std::string& folder) override;
    void Set(std::optional<DownloadFacts> record);
    std::vector<std::string> Added();  // "url|folder"

private:
    std::mutex mutex_;
    std::optional<DownloadFacts> record_;
    std::vector<std::string> added_;
};

class ScriptedCamera : public DesktopCamera {
public:
    explicit ScriptedCamera(fake::MemoryFileSystem& files) : files_(files) {}
    void ShowDesktop() override { ++shown; }
    bool TakePicture(const std::string& path) override;
    std::string Folder() override { return "C:\\Temp\\"; }
    bool works = true;
    int shown = 0;

private:
    fake::MemoryFileSystem& files_;
};

// The installer's end as the real one reaches it, told to the owner: the
// start signal, then the restore ending (preparation, texts, the restart
// question) or the backup ending (the window's finishing step). With
// Hold() it waits first until Release(); a stop ends the wait and the run
// at once (as a stop before any change does), unless it is told to go on
// as the real one does once the boot configuration changes.
class ScriptedInstaller {
public:
    Status Run(installer::PeInstallMode mode, installer::PeInstallerOwner& owner, JobControl& control);
    void Hold();
    void Release();
    bool Waiting();  // held, and waiting now
    std::string fatal;           // told instead of the ending, as a failure
    bool stopEndsEarly = true;   // a stop ends the run before any change (else it goes on to the end)
    std::atomic<int> runs{0};
    std::atomic<int> restarts{0};  // "yes" to the restore question

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = false;
    bool waiting_ = false;
};

class FlowBench {
public:
    // pe: inside the preinstallation environment; windows: an installed
    // Windows on the disk (its ntdll.dll), which PE mode looks for.
    explicit FlowBench(bool pe = false, bool windows = true);
    FlowServices Services(Desktop& desktop, SecurityDetector& detector);
    std::string Setting();  // SETTING.JSON's bytes

    fake::MemoryFileSystem files{"CD"};

    fake::FakeFolderSecurity folders{files};
    AppContext context;
    ScriptedDownloads downloads;
    ScriptedCamera camera{files};
    ScriptedInstaller installer;
    fake::FakeProcess process;
    std::atomic<int> restarts{0};
    std::atomic<int> undos{0};

private:
    std::unique_ptr<sim::SimSystem> system_;
    std::unique_ptr<sim::SimStorage> storage_;
};

bool HasOption(const std::string& setting, int option);

}  // namespace qnb::ui::test
