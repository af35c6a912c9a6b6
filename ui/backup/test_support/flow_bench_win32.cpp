#include "ui/backup/test_support/flow_bench_win32.h"

#include "installer/pe_install_mode.h"
#include "platform/sim/machine_description.h"
#include "ui/test_support/shared_windows_win32.h"

#include <gtest/gtest.h>

namespace qnb::ui::test {

std::optional<DownloadFacts> ScriptedDownloads::Query(const std::string&) {
    std::lock_guard<std::mutex> lock(mutex_);
    return record_;
}

void ScriptedDownloads::Add(const std::string& url, const std::string& folder) {
    std::lock_guard<std::mutex> lock(mutex_);
    added_.push_back(url + "|" + folder);
}

void ScriptedDownloads::Set(std::optional<DownloadFacts> record) {
    std::lock_guard<std::mutex> lock(mutex_);
    record_ = record;
}

std::vector<std::string> ScriptedDownloads::Added() {
    std::lock_guard<std::mutex> lock(mutex_);
    return added_;
}

bool ScriptedCamera::TakePicture(const std::string& path) {
    if (!works) return false;
    files_.AddFile(path, "JPEG of the desktop");
    return true;
}

Status ScriptedInstaller::Run(installer::PeInstallMode mode, installer::PeInstallerOwner& owner,
                              JobControl& control) {
    ++runs;
    owner.SetText("pedownload_progress", "100%");
    owner.SetValue("pedownload_progress", 100);
    owner.SetText("pedownload_info", installer::kInstallingText);
    {
        std::unique_lock<std::mutex> lock(mutex_);
        waiting_ = true;
        changed_.notify_all();
        StopCallback onStop(control.stopToken(), [this] {
            std::lock_guard<std::mutex> inner(mutex_);
            changed_.notify_all();
        });
        // A stop ends the wait only for a run that stops before changing anything.
        changed_.wait(lock, [&] { return !held_ || (stopEndsEarly && control.StopRequested()); });
        waiting_ = false;
    }
    if (control.StopRequested() && stopEndsEarly) return Failure{"install", "stopped", 1223};
    if (!fatal.empty()) {
        owner.FatalError(fatal);
        return Failure{"install", fatal, 1};
    }
    if (mode == installer::PeInstallMode::kBackup) {
        owner.HandOverBackup();
        return {};
    }
    owner.PrepareRestore();
    owner.SetText("pedownload_info", installer::kRestoreAfterRestartText);
    owner.SetText("pedownload_remain", " ");
    if (owner.AskYesNo(installer::kRestoreCaption, installer::kRestoreQuestion, control.stopToken()) ==
        installer::Answer::kYes) {
        ++restarts;
    }
    return {};
}

void ScriptedInstaller::Hold() {
    std::lock_guard<std::mutex> lock(mutex_);
    held_ = true;
}

void ScriptedInstaller::Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    held_ = false;
    changed_.notify_all();
}

bool ScriptedInstaller::Waiting() {
    std::lock_guard<std::mutex> lock(mutex_);
    return waiting_ && held_;
}

FlowBench::FlowBench(bool pe, bool windows) {
    std::string error;
    auto description = sim::ParseMachine(OneDiskMachineJson(pe, 6, 1, 7601, 1), &error);
    EXPECT_TRUE(description) << error;
    system_ = std::make_unique<sim::SimSystem>(description->windows);
    storage_ = std::make_unique<sim::SimStorage>(std::move(*description));
    if (windows) files.AddFile("C:\\Windows\\System32\\ntdll.dll", "MZ");
    context.Initialise(*storage_, *system_, files, folders);
    EXPECT_TRUE(context.IsReady());
    EXPECT_EQ(context.WorkspacePath(), kWorkspace);
    context.SetPackageUrl(kPackageUrl);
}

FlowServices FlowBench::Services(Desktop& desktop, SecurityDetector& detector) {
    FlowServices s;
    s.context = &context;
    s.files = &files;
    s.downloads = &downloads;
    s.desktop = &desktop;
    s.detector = &detector;
    s.process = &process;
    s.install = [this](installer::PeInstallMode mode, installer::PeInstallerOwner& owner, JobControl& control) {
        return installer.Run(mode, owner, control);
    };
    s.undoInstall = [this] { ++undos; };
    s.restart = [this] { ++restarts; };
    s.now = [] { return kNow; };
    s.localDate = FixedOffsetDate(8 * 3600);
    return s;
}

std::string FlowBench::Setting() { return files.Content(std::string(kWorkspace) + "SETTING.JSON").value_or(""); }

bool HasOption(const std::string& setting, int option) {
    return setting.find("\"Option\" : " + std::to_string(option) + ",") != std::string::npos;
}

}  // namespace qnb::ui::test
