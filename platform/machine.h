// The ports of one machine, owned together: what the program's logic works on.
#pragma once

#include "platform/file_system.h"
#include "platform/folder_security.h"
#include "platform/process_port.h"
#include "platform/registry_port.h"
#include "platform/shell_folders.h"
#include "platform/storage_port.h"
#include "platform/system_port.h"

namespace qnb {

class Machine {
public:
    virtual ~Machine() = default;
    virtual StoragePort& storage() = 0;
    virtual SystemPort& system() = 0;
    virtual FileSystem& files() = 0;
    virtual ProcessPort& process() = 0;
    virtual RegistryPort& registry() = 0;
    virtual ShellFolderPort& shellFolders() = 0;
    virtual FolderSecurity& folderSecurity() = 0;
};

}  // namespace qnb
