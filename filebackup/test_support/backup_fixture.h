// What the backup's native tests share: a reporter that records, a log that
// keeps its lines, and helpers for machines whose drives are folders of a
// fresh temporary root.
#pragma once

#include "app/test_support/machine_fixture.h"
#include "filebackup/backup_reporter.h"
#include "filebackup/test_support/recording_log.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace qnb::test {

// "status TEXT", "error PATH CODE", "done", in the order they came.
class RecordingReporter : public BackupReporter {
public:
    void Status(const std::string& text) override { Add("status " + text); }
    void FileError(const std::string& path, uint32_t code) override {
        Add("error " + path + " " + std::to_string(code));
    }
    void Done() override { Add("done"); }

    std::vector<std::string> Events() const;
    // Those that begin with prefix ("error ").
    std::vector<std::string> Events(const std::string& prefix) const;
    // False after limit of real time: a stuck backup fails the test instead of hanging it.
    bool WaitForDone(std::chrono::seconds limit = std::chrono::seconds(60));

private:
    void Add(std::string event);
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> events_;
};

// A host symbolic link at link (a Windows path of the machine) to target
// (one too): what Windows shows as a junction.
void MakeLink(MachineFixture& machine, const std::string& link, const std::string& target);

// Every file under a folder, as paths relative to it ("sub\a.txt").
std::set<std::string> FilesUnder(MachineFixture& machine, const std::string& folder);

}  // namespace qnb::test
