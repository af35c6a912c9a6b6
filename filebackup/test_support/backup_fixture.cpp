#include "filebackup/test_support/backup_fixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

namespace qnb::test {

namespace fs = std::filesystem;

void RecordingReporter::Add(std::string event) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(event));
    changed_.notify_all();
}

std::vector<std::string> RecordingReporter::Events() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

std::vector<std::string> RecordingReporter::Events(const std::string& prefix) const {
    std::vector<std::string> chosen;
    for (const std::string& event : Events()) {
        if (event.compare(0, prefix.size(), prefix) == 0) chosen.push_back(event);
    }
    return chosen;
}

bool RecordingReporter::WaitForDone(std::chrono::seconds limit) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return !events_.empty() && events_.back() == "done"; });
}

void MakeLink(MachineFixture& machine, const std::string& link, const std::string& target) {
    const std::string host = machine.files().HostPath(link);
    fs::create_directories(fs::path(host).parent_path());
    ASSERT_EQ(::symlink(machine.files().HostPath(target).c_str(), host.c_str()), 0) << link;
}

std::set<std::string> FilesUnder(MachineFixture& machine, const std::string& folder) {
    std::set<std::string> found;
    const fs::path root = machine.files().HostPath(folder);
    if (!fs::exists(root)) return found;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::string relative = fs::relative(entry.path(), root).string();
        for (char& c : relative) c = c == '/' ? '\\' : c;
        found.insert(relative);
    }
    return found;
}

}  // namespace qnb::test
