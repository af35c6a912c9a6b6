// Shell folders from SHGetFolderPath (present on Windows XP), the
// temporary folder from GetTempPath.
#pragma once

#include "platform/shell_folders.h"

namespace qnb::win32 {

class Win32ShellFolders : public ShellFolderPort {
public:
    Result<std::string> Path(ShellFolder folder) override;
};

}  // namespace qnb::win32
