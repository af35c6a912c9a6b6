// The user-file backup thread of the reinstall: moves a local image into
// the workspace folder, then copies the user's chosen files off the system
// drive into "文件备份" in the workspace folder, and says when it is done.
// It runs as a job (FileBackupJob); a stop ends it between two files.
#pragma once

#include "app/app_context.h"
#include "filebackup/backup_reporter.h"
#include "jobs/job.h"
#include "log/log.h"
#include "platform/file_system.h"
#include "platform/registry_port.h"
#include "platform/shell_folders.h"

#include <string>
#include <vector>

namespace qnb {

constexpr char kBackupFolderName[] = "文件备份";

// What the backup-file page collected, read on the window's thread before the job starts.
struct BackupChoices {
    bool desktop = false;    // check_desktop
    bool qqChatLog = false;  // check_qqchatlog
    bool pictures = false;   // check_picture
    bool music = false;      // check_music
    bool documents = false;  // check_document
    bool videos = false;     // check_video
    std::vector<std::string> folders;  // folder_list, in list order
};

// The machine the backup works on.
struct BackupPorts {
    FileSystem& files;
    ShellFolderPort& shellFolders;
    RegistryPort& registry;
};

// Steps 1 to 11: the image transfer (a failed copy is reported as a file
// error), the exclusions, the desktop, the QQ folder, the user's folders,
// the categories, the whole-folder copies, the walk of the system drive,
// and Done, which is told in every case. Writes "strImagePath" and
// "QQLogFolder" through the context. Without a workspace folder it copies
// nothing.
void RunFileBackup(JobControl& control, AppContext& context, const BackupChoices& choices, const BackupPorts& ports,
                   BackupReporter& reporter, Log& log);

// The backup as one job of its own; destroying it stops the copying and
// waits for the thread.
class FileBackupJob {
public:
    FileBackupJob(AppContext& context, BackupPorts ports, BackupReporter& reporter, Log& log,
                  Clock& clock = SystemClock(), JobListener* listener = nullptr);

    // Once; false when it was started before or no thread could be made.
    bool Start(BackupChoices choices);
    Job& job() { return job_; }

private:
    AppContext& context_;
    BackupPorts ports_;
    BackupReporter& reporter_;
    Log& log_;
    BackupChoices choices_;
    Job job_;  // last: its thread ends before the rest goes
};

}  // namespace qnb
