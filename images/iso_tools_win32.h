// The ISO tools of the program on Windows: deployed from the program's own
// payload archive into a fresh protected folder below the temporary folder
// (the download engine's rule), started through the given process port.
#pragma once

#include "images/iso_tools.h"
#include "log/log.h"
#include "platform/file_system.h"
#include "platform/folder_security.h"
#include "platform/process_port.h"
#include "platform/storage_port.h"

#include <memory>

namespace qnb::images::win32 {

// One per process (the composition root owns it); process should be the
// logged port; folders makes and checks the tools' held folder. The ports
// must outlive the tools.
std::unique_ptr<IsoTools> MakeIsoTools(FileSystem& files, FolderSecurity& folders, ProcessPort& process,
                                       StoragePort& storage, Log* log = nullptr);

}  // namespace qnb::images::win32
