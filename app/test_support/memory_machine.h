// A machine of testbed/machines whose drives live in memory: its simulated
// disks and Windows, the files of C: and D: (with the Windows folder's
// System32), folder security that trusts every folder, and an AppContext
// initialised on them. Tests of the flows derive their benches from it.
#pragma once

#include "app/app_context.h"
#include "app/test_support/machine_fixture.h"
#include "platform/fake/fake_folder_security.h"
#include "platform/fake/memory_file_system.h"
#include "platform/sim/machine_description.h"
#include "platform/sim/sim_storage.h"
#include "platform/sim/sim_system.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace qnb::test {

class MemoryMachine {
public:
    explicit MemoryMachine(const std::string& name) {
        std::string error;
        auto description = sim::ParseMachine(MachineJson(name), &error);
        EXPECT_TRUE(description) << error;
        system_ = std::make_unique<sim::SimSystem>(description->windows);
        storage_ = std::make_unique<sim::SimStorage>(std::move(*description));
        files.AddFolders("C:\\Windows\\System32");
        context.Initialise(*storage_, *system_, files, folders);
        EXPECT_EQ(context.WorkspacePath(), "D:\\Quenbrook\\Data\\");
    }

    sim::SimSystem& system() { return *system_; }
    std::string Setting() { return files.Content("D:\\Quenbrook\\Data\\SETTING.JSON").value_or(""); }

    fake::MemoryFileSystem files{"CD"};
    fake::FakeFolderSecurity folders{files};
    AppContext context;

private:
    std::unique_ptr<sim::SimSystem> system_;
    std::unique_ptr<sim::SimStorage> storage_;
};

}  // namespace qnb::test
