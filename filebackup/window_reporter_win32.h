// The user-file backup's news posted to its window: WM_BACKUP_STATUS with a
// status text, WM_BACKUP_FILE_ERROR with a path and the code, WM_STAGE_DONE
// (1, 0). The texts are jobs/posted_text.h heap texts the window takes back
// with TakePostedText. A status is posted only when the window has shown the
// one before (StatusShown), so a backup of many small files never floods the
// window's queue; errors and the end are always posted.
#pragma once

#include "filebackup/backup_reporter.h"
#include "log/log.h"

#include <windows.h>

#include <atomic>

namespace qnb::win32 {

class WindowBackupReporter : public BackupReporter {
public:
    WindowBackupReporter(HWND window, Log& log) : window_(window), log_(log) {}

    void Status(const std::string& text) override;
    void FileError(const std::string& path, uint32_t code) override;
    void Done() override;

    // The window has handled a WM_BACKUP_STATUS: the next status is posted.
    void StatusShown() { statusPending_ = false; }

private:
    bool Post(UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_;
    Log& log_;
    std::atomic<bool> statusPending_{false};
};

}  // namespace qnb::win32
