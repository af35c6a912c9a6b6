// Where QQ keeps its chat logs: from its own settings file in the shared
// documents folder, else from its install folder in the registry or the
// user's documents. The folder goes into the backup whole; the name of its
// last component goes into the hand-off file ("QQLogFolder"), so that the
// preinstallation environment finds the copy.
#pragma once

#include "log/log.h"
#include "platform/file_system.h"
#include "platform/registry_port.h"
#include "platform/shell_folders.h"

#include <optional>
#include <string>

namespace qnb {

// Under the shared documents folder.
constexpr char kQqSettingsFile[] = "Tencent\\QQ\\UserDataInfo.ini";
// Under HKEY_LOCAL_MACHINE (a 32-bit program sees WOW64's view, as QQ, a 32-bit program, writes it).
constexpr char kQqRegistryKey[] = "SOFTWARE\\Tencent\\QQ2009";

struct QqFolder {
    std::string path;                      // the folder to copy whole; "" when there is none to copy
    std::optional<std::string> logFolder;  // what "QQLogFolder" becomes, when it changes
};

// The settings file's "UserDataSavePath" (type 0 or 1), else for type 0
// the registry's "Install" folder followed by "Users", for type 1 the
// documents folder followed by "Tencent Files". A folder inside the
// workspace folder is not copied (it survives anyway). Missing settings,
// keys and folders mean nothing to copy.
QqFolder FindQqFolder(FileSystem& files, ShellFolderPort& shellFolders, RegistryPort& registry,
                      const std::string& workspace, Log& log);

}  // namespace qnb
