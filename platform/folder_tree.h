// Creating a folder together with the parents it is missing.
#pragma once

#include "platform/file_system.h"

#include <string>

namespace qnb {

// Creates the folder and every missing parent, from the root down ("\" and
// "/" both separate, doubled separators count once). Succeeds when the
// folder exists afterwards, also when another process made it meanwhile;
// otherwise the failure of the step that failed, with its code.
Status CreateFolderTree(FileSystem& files, const std::string& path);

}  // namespace qnb
