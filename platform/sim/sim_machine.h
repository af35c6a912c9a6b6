// The machine of test and demo builds: the simulated one described by the
// file that QNB_SIM_MACHINE names, or else the real one (Windows builds).
// Only storage and Windows facts are simulated: under Wine programs, the
// registry and shell folders are the real ones; natively no program starts
// (ERROR_FILE_NOT_FOUND), the registry is empty and of the shell folders
// only the described Windows folder is known.
#pragma once

#include "platform/machine.h"
#include "platform/sim/sim_storage.h"
#include "platform/sim/sim_system.h"

#include <memory>
#include <string>

namespace qnb::sim {

constexpr char kMachineVariable[] = "QNB_SIM_MACHINE";

// The description's path from the environment, in this platform's form
// (under Wine a host path "/tmp/m.json" becomes "Z:\tmp\m.json", Z: being the
// host's root); empty when the variable is not set.
std::string MachinePathFromEnvironment();

// Nothing, with the reason in *error, when the description cannot be read
// or is not valid, or natively when none is named. Natively, drive letters
// are the folders of $QNB_DRIVE_ROOT (default: the current folder).
std::unique_ptr<Machine> OpenMachineFromEnvironment(std::string* error);

}  // namespace qnb::sim
