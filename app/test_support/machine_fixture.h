// A simulated machine for the native tests: a description answered by the
// storage simulator, and its drive letters as folders of a temporary root.
#pragma once

#include "platform/fake/fake_folder_security.h"
#include "platform/posix/host_file_system.h"
#include "platform/sim/sim_storage.h"
#include "platform/sim/sim_system.h"

#include <string>

namespace qnb::test {

// The text of testbed/machines/NAME.json.
std::string MachineJson(const std::string& name);

class MachineFixture {
public:
    explicit MachineFixture(const std::string& json);
    ~MachineFixture();
    MachineFixture(const MachineFixture&) = delete;
    MachineFixture& operator=(const MachineFixture&) = delete;

    sim::SimStorage& storage() { return *storage_; }
    sim::SimSystem& system() { return *system_; }
    HostFileSystem& files() { return files_; }
    // Trusts every folder unless told otherwise.
    fake::FakeFolderSecurity& folders() { return folders_; }

    // Creates a drive folder (described letters have one already).
    void AddDrive(char letter);
    void MakeFolders(const std::string& windowsPath);
    void WriteFile(const std::string& windowsPath, const std::string& bytes);
    std::string ReadFile(const std::string& windowsPath);
    bool Exists(const std::string& windowsPath);

private:
    std::string root_;
    HostFileSystem files_;
    fake::FakeFolderSecurity folders_{files_};
    std::unique_ptr<sim::SimStorage> storage_;
    std::unique_ptr<sim::SimSystem> system_;
};

}  // namespace qnb::test
