#include "platform/win32/machine_win32.h"

#include "platform/win32/file_system_win32.h"
#include "platform/win32/process_win32.h"
#include "platform/win32/protected_folder.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/shell_folders_win32.h"
#include "platform/win32/storage_win32.h"
#include "platform/win32/system_win32.h"

namespace qnb::win32 {

namespace {

class RealMachine : public Machine {
public:
    StoragePort& storage() override { return storage_; }
    SystemPort& system() override { return system_; }
    FileSystem& files() override { return files_; }
    ProcessPort& process() override { return process_; }
    RegistryPort& registry() override { return registry_; }
    ShellFolderPort& shellFolders() override { return shellFolders_; }
    FolderSecurity& folderSecurity() override { return folderSecurity_; }

private:
    Win32Storage storage_;
    Win32System system_;
    Win32FileSystem files_;
    Win32Process process_;
    Win32Registry registry_;
    Win32ShellFolders shellFolders_;
    Win32FolderSecurity folderSecurity_;
};

}  // namespace

std::unique_ptr<Machine> OpenRealMachine() { return std::make_unique<RealMachine>(); }

}  // namespace qnb::win32
