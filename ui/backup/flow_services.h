// What the backup and restore windows are given by the program: the
// context, the files, the downloads, the installer, the desktop and the
// clock. Each is the program's own in the program and a recorder or a
// script in the tests.
#pragma once

#include "app/app_context.h"
#include "installer/installer_owner.h"
#include "installer/pe_install_mode.h"
#include "jobs/job.h"
#include "log/log.h"
#include "platform/file_system.h"
#include "platform/process_port.h"
#include "ui/backup/local_date.h"
#include "ui/backup/package_poll.h"
#include "ui/desktop.h"
#include "ui/security_products.h"

#include <cstdint>
#include <functional>

namespace qnb::ui {

struct FlowServices {
    AppContext* context = nullptr;
    FileSystem* files = nullptr;
    DownloadTasks* downloads = nullptr;
    Desktop* desktop = nullptr;               // message boxes
    SecurityDetector* detector = nullptr;     // the error window's way to the guide
    ProcessPort* process = nullptr;           // the hand-over to the environment's own program
    // The installer in a mode with the window as owner, on its job's thread.
    std::function<Status(installer::PeInstallMode, installer::PeInstallerOwner&, JobControl&)> install;
    // Takes back a start the installer prepared (the user quit while it ran).
    std::function<void()> undoInstall;
    // Restarts the machine now.
    std::function<void()> restart;
    // Seconds since 1970 (UTC), and the local date of such a time.
    std::function<int64_t()> now;
    LocalDateOf localDate;
    Log* log = nullptr;
};

}  // namespace qnb::ui
