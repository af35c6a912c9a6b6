// What the user-file backup tells its window while it runs. The program's
// reporter posts WM_BACKUP_STATUS, WM_BACKUP_FILE_ERROR and WM_STAGE_DONE
// (filebackup/window_reporter_win32.h); qnbdiag prints them; tests record
// them. Called on the backup's thread only.
#pragma once

#include <cstdint>
#include <string>

namespace qnb {

class BackupReporter {
public:
    virtual ~BackupReporter() = default;
    // What is being done: "正在转移镜像...", a file about to be copied.
    virtual void Status(const std::string& text) = 0;
    // A file that could not be copied: its full source path and the Windows error code.
    virtual void FileError(const std::string& path, uint32_t code) = 0;
    // The backup has finished (WM_STAGE_DONE with wParam 1).
    virtual void Done() = 0;
};

}  // namespace qnb
