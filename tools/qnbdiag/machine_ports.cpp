#include "tools/qnbdiag/machine_ports.h"

#include "platform/sim/machine_loader.h"

#include <cstdlib>

#ifdef _WIN32
#include "platform/win32/file_system_win32.h"
#include "platform/win32/storage_win32.h"
#include "platform/win32/system_win32.h"
#else
#include "platform/posix/host_file_system.h"
#endif

namespace qnb::diag {

namespace {

class Ports : public MachinePorts {
public:
    StoragePort& storage() override { return simulated.storage ? *simulated.storage : *realStorage; }
    SystemPort& system() override { return simulated.system ? *simulated.system : *realSystem; }
    FileSystem& files() override { return *fileSystem; }

    std::unique_ptr<FileSystem> fileSystem;
    std::unique_ptr<StoragePort> realStorage;
    std::unique_ptr<SystemPort> realSystem;
    sim::SimulatedMachine simulated;
};

}  // namespace

std::unique_ptr<FileSystem> OpenFileSystem() {
#ifdef _WIN32
    return std::make_unique<win32::Win32FileSystem>();
#else
    const char* root = std::getenv("QNB_DRIVE_ROOT");
    return std::make_unique<HostFileSystem>(root ? root : ".");
#endif
}

std::unique_ptr<MachinePorts> OpenMachinePorts(std::string* error) {
    auto ports = std::make_unique<Ports>();
    ports->fileSystem = OpenFileSystem();
#ifdef _WIN32
    ports->realStorage = std::make_unique<win32::Win32Storage>();
    ports->realSystem = std::make_unique<win32::Win32System>();
#endif
    std::string path = sim::MachinePathFromEnvironment();
    if (path.empty()) {
        if (!ports->realStorage) {
            *error = std::string("set ") + sim::kMachineVariable + " to a machine description";
            return nullptr;
        }
        return ports;
    }
    // The description's path is a real file, also when a letter of the description shadows its drive.
    auto simulated = sim::LoadMachine(*ports->fileSystem, path, ports->realStorage.get(), ports->realSystem.get(), error);
    if (!simulated) return nullptr;
    ports->simulated = std::move(*simulated);
    return ports;
}

}  // namespace qnb::diag
