// The program's own window messages, all posted. The first four are part of
// the contract between the flows' workers and their windows; the others
// belong to the job adapter and the windows of this program alone.
#pragma once

#include <cstdint>

namespace qnb {

constexpr uint32_t kWmUser = 0x0400;  // WM_USER

enum WindowMessage : uint32_t {
    // A user-file backup status text (a heap text the window frees).
    WM_BACKUP_STATUS = kWmUser + 100,
    // A file the user-file backup could not copy: its full path (heap text) and the Windows error code.
    WM_BACKUP_FILE_ERROR = kWmUser + 101,
    // wParam 1: the user-file backup has finished; lParam 1: the downloads have finished.
    WM_STAGE_DONE = kWmUser + 102,
    // A fatal error text (heap text) from the download poll or the installer.
    WM_FATAL_ERROR = kWmUser + 104,

    // A job the window watches changed: wParam is the job's id with the
    // window, lParam a JobEvent. The window reads the job's snapshot or outcome.
    WM_JOB_EVENT = kWmUser + 120,

    // The installer's news for its owner window, in the order it made them:
    // lParam an installer/installer_window_win32.h record the window frees.
    WM_INSTALLER_UPDATE = kWmUser + 130,
    // A question of the installer; its worker waits for the window's answer.
    WM_INSTALLER_QUESTION = kWmUser + 131,
};

enum JobEvent : uint32_t {
    kJobProgress = 1,
    kJobFinished = 2,
};

// The heap text a message carries (WM_BACKUP_STATUS, WM_BACKUP_FILE_ERROR,
// WM_FATAL_ERROR) is made and taken back with jobs/posted_text.h.

static_assert(WM_BACKUP_STATUS == 1124 && WM_BACKUP_FILE_ERROR == 1125 && WM_STAGE_DONE == 1126 &&
              WM_FATAL_ERROR == 1128);

}  // namespace qnb
