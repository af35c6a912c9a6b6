// The machine qnbdiag works on: the simulated one named by QNB_SIM_MACHINE,
// or else the real system (Windows builds only).
#pragma once

#include "platform/file_system.h"
#include "platform/storage_port.h"
#include "platform/system_port.h"

#include <memory>
#include <string>

namespace qnb::diag {

class MachinePorts {
public:
    virtual ~MachinePorts() = default;
    virtual StoragePort& storage() = 0;
    virtual SystemPort& system() = 0;
    virtual FileSystem& files() = 0;
};

// Nothing, with the reason in *error, when the description is broken, or
// natively when no description is named. Natively, drive letters are the
// folders of $QNB_DRIVE_ROOT (default: the current folder).
std::unique_ptr<MachinePorts> OpenMachinePorts(std::string* error);

// The file system alone (for commands that need no machine).
std::unique_ptr<FileSystem> OpenFileSystem();

}  // namespace qnb::diag
