#include "platform/sim/sim_machine.h"

#include "platform/sim/sim_folder_security.h"
#include "platform/text.h"

#include <cstdlib>

#ifdef _WIN32
#include "platform/win32/machine_win32.h"
#else
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shell_folders.h"
#include "platform/posix/host_file_system.h"
#endif

namespace qnb::sim {

namespace {

class SimulatedMachine : public Machine {
public:
    StoragePort& storage() override { return storage_ ? *storage_ : real_->storage(); }
    SystemPort& system() override { return system_ ? *system_ : real_->system(); }
    FileSystem& files() override { return real_ ? real_->files() : *hostFiles_; }
    FolderSecurity& folderSecurity() override { return *folderSecurity_; }
#ifdef _WIN32
    // Programs, the registry and shell folders are the real ones.
    ProcessPort& process() override { return real_->process(); }
    RegistryPort& registry() override { return real_->registry(); }
    ShellFolderPort& shellFolders() override { return real_->shellFolders(); }
#else
    // Natively no program starts and the registry is empty; of the shell
    // folders only the described Windows folder is known.
    ProcessPort& process() override { return process_; }
    RegistryPort& registry() override { return registry_; }
    ShellFolderPort& shellFolders() override { return shellFolders_; }

    fake::FakeProcess process_;
    fake::FakeRegistry registry_;
    fake::FakeShellFolders shellFolders_;
#endif

    std::unique_ptr<Machine> real_;            // Windows: the fallback for what is not described
    std::unique_ptr<FileSystem> hostFiles_;    // natively
    std::unique_ptr<SimStorage> storage_;
    std::unique_ptr<SimSystem> system_;
    std::unique_ptr<FolderSecurity> folderSecurity_;
};

}  // namespace

std::string MachinePathFromEnvironment() {
#ifdef _WIN32
    const wchar_t* value = _wgetenv(text::Wide(kMachineVariable).c_str());
    std::string path = value ? text::Narrow(value) : std::string();
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
        for (char& c : path) c = c == '/' ? '\\' : c;
    }
    return path;
#else
    const char* value = std::getenv(kMachineVariable);
    std::string path = value ? value : "";
    if (path.size() > 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':') {
        path = path.substr(2);
        for (char& c : path) c = c == '\\' ? '/' : c;
    }
    return path;
#endif
}

std::unique_ptr<Machine> OpenMachineFromEnvironment(std::string* error) {
    auto machine = std::make_unique<SimulatedMachine>();
#ifdef _WIN32
    machine->real_ = win32::OpenRealMachine();
#else
    const char* root = std::getenv("QNB_DRIVE_ROOT");
    machine->hostFiles_ = std::make_unique<HostFileSystem>(root ? root : ".");
#endif
    std::string path = MachinePathFromEnvironment();
    if (path.empty()) {
        if (machine->real_) return std::move(machine->real_);
        *error = std::string("set ") + kMachineVariable + " to a machine description";
        return nullptr;
    }
    // The description itself is a real file, read before any letter is simulated.
    auto json = machine->files().readFile(path);
    if (!json) {
        *error = "cannot read " + path;
        return nullptr;
    }
    auto description = ParseMachine(*json, error);
    if (!description) return nullptr;
    StoragePort* fallbackStorage = machine->real_ ? &machine->real_->storage() : nullptr;
    SystemPort* fallbackSystem = machine->real_ ? &machine->real_->system() : nullptr;
#ifndef _WIN32
    if (description->windows) machine->shellFolders_.Set(ShellFolder::kWindows, description->windows->dir);
#endif
    machine->system_ = std::make_unique<SimSystem>(description->windows, fallbackSystem);
    machine->storage_ = std::make_unique<SimStorage>(std::move(*description), fallbackStorage);
    machine->folderSecurity_ = MakeSimFolderSecurity(machine->files());
    return machine;
}

}  // namespace qnb::sim
