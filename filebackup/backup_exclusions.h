// The folders the drive walk never enters: what the reinstall replaces or
// what holds nothing of the user's (the Windows folder, program folders,
// system and recovery folders, temporary files and the Internet cache).
#pragma once

#include "log/log.h"
#include "platform/file_system.h"
#include "platform/shell_folders.h"

#include <string>
#include <vector>

namespace qnb {

struct WindowsPlace {
    char systemLetter = 'C';  // of the installed Windows
    bool peMode = false;      // running in the preinstallation environment
    bool is64 = false;        // the installed Windows is 64-bit
};

// In the order they are added. Inside the preinstallation environment the
// folders are those of the installed Windows on the system drive, and the
// environment's own temporary and cache folders are not excluded.
std::vector<std::string> BackupExclusions(FileSystem& files, ShellFolderPort& shellFolders, const WindowsPlace& place,
                                          Log& log);

}  // namespace qnb
