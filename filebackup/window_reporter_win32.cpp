#include "filebackup/window_reporter_win32.h"

#include "jobs/posted_text.h"
#include "jobs/window_messages.h"

namespace qnb::win32 {

bool WindowBackupReporter::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    if (PostMessageW(window_, message, wParam, lParam)) return true;
    log_.Failed("backup", Failure{"post message", std::to_string(message), GetLastError()});
    return false;
}

void WindowBackupReporter::Status(const std::string& text) {
    if (statusPending_.exchange(true)) return;
    uintptr_t posted = NewPostedText(text);
    if (!Post(WM_BACKUP_STATUS, posted, 0)) {
        DropPostedText(posted);
        statusPending_ = false;
    }
}

void WindowBackupReporter::FileError(const std::string& path, uint32_t code) {
    uintptr_t posted = NewPostedText(path);
    if (!Post(WM_BACKUP_FILE_ERROR, posted, static_cast<LPARAM>(code))) DropPostedText(posted);
}

void WindowBackupReporter::Done() { Post(WM_STAGE_DONE, 1, 0); }

}  // namespace qnb::win32
