// The simulated machine natively: which ports it gives in place of the
// real programs, registry and shell folders.
#include "platform/sim/sim_machine.h"

#include "platform/error_codes.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

namespace qnb::sim {
namespace {

TEST(SimulatedMachine, NativelyStartsNothingAndKnowsOnlyTheDescribedWindowsFolder) {
    std::string description = std::string(QNB_SOURCE_DIR) + "/testbed/machines/one-disk-c-d.json";
    ASSERT_EQ(::setenv(kMachineVariable, description.c_str(), 1), 0);
    std::string error;
    std::unique_ptr<Machine> machine = OpenMachineFromEnvironment(&error);
    ::unsetenv(kMachineVariable);
    ASSERT_TRUE(machine) << error;

    ProcessRequest request;
    request.program = "C:\\Windows\\System32\\bcdedit.exe";
    EXPECT_EQ(machine->process().Run(request).failure().code, errors::kFileNotFound);
    EXPECT_EQ(machine->registry().ReadString(RegistryRoot::kLocalMachine, "SOFTWARE", "x").failure().code,
              errors::kFileNotFound);
    EXPECT_EQ(machine->shellFolders().Path(ShellFolder::kWindows).value(), "C:\\Windows");
    EXPECT_FALSE(machine->shellFolders().Path(ShellFolder::kDesktop));
}

}  // namespace
}  // namespace qnb::sim
