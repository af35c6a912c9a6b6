// Builds the simulated machine named by the environment variable
// QNB_SIM_MACHINE (test and demo builds only).
#pragma once

#include "platform/file_system.h"
#include "platform/sim/sim_storage.h"
#include "platform/sim/sim_system.h"

#include <memory>
#include <optional>
#include <string>

namespace qnb::sim {

constexpr char kMachineVariable[] = "QNB_SIM_MACHINE";

struct SimulatedMachine {
    std::unique_ptr<SimStorage> storage;
    std::unique_ptr<SimSystem> system;
};

// The description's path from the environment, in this platform's form
// (a host path "/tmp/m.json" becomes "Z:\tmp\m.json" on Windows, where Wine
// maps Z: to the host's root); empty when the variable is not set.
std::string MachinePathFromEnvironment();

// Reads and parses the description. Nothing, with the reason in *error,
// when it cannot be read or is not valid.
std::optional<SimulatedMachine> LoadMachine(FileSystem& files, const std::string& path, StoragePort* fallbackStorage,
                                            SystemPort* fallbackSystem, std::string* error);

}  // namespace qnb::sim
