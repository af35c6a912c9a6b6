#include "filebackup/backup_thread.h"

#include "filebackup/backup_categories.h"
#include "filebackup/backup_exclusions.h"
#include "filebackup/backup_texts.h"
#include "filebackup/file_backup.h"
#include "filebackup/qq_folder.h"
#include "platform/paths.h"

namespace qnb {

namespace {

constexpr char kArea[] = "backup";

// Step 1: a local image is copied into the workspace folder unless it is
// there already; strImagePath then names it there.
void TransferImage(JobControl& control, AppContext& context, FileSystem& files, BackupReporter& reporter, Log& log) {
    const HandoffValues handoff = context.Handoff();
    if (!handoff.localImage) return;
    const std::string& source = handoff.imagePath;
    const std::string target = paths::Join(context.WorkspacePath(), paths::FileName(source));
    if (!files.access(target, FileSystem::kReadWrite)) {
        reporter.Status(kImageTransferText);
        Status copied = files.copyFile(
            source, target, [&](uint64_t, uint64_t) { return !control.StopRequested(); }, true);
        if (!copied) {
            // The preinstallation environment would not find the image: the user must hear it now.
            log.Failed(kArea, copied.failure());
            if (!control.StopRequested()) reporter.FileError(source, copied.failure().code);
        }
    }
    context.SetImageFile(target);
}

}  // namespace

void RunFileBackup(JobControl& control, AppContext& context, const BackupChoices& choices, const BackupPorts& ports,
                   BackupReporter& reporter, Log& log) {
    const std::string workspace = context.WorkspacePath();
    if (workspace.empty()) {
        log.Write(kArea, "no workspace folder: nothing is copied");
        reporter.Done();
        return;
    }
    TransferImage(control, context, ports.files, reporter, log);

    CFileBackup backup(ports.files, reporter, log, control.stopToken());
    backup.SetWorkspace(workspace);
    backup.SetBackupRoot(paths::Join(workspace, kBackupFolderName));

    const WindowsPlace place{context.SystemLetter(), context.IsPeMode(), context.Is64()};
    for (const std::string& folder : BackupExclusions(ports.files, ports.shellFolders, place, log)) {
        backup.AddExcludedFolder(folder);
    }
    if (choices.desktop) {
        if (Result<std::string> desktop = ports.shellFolders.Path(ShellFolder::kDesktop)) {
            backup.AddWholeFolder(*desktop);
        } else {
            log.Failed(kArea, desktop.failure());
        }
    }
    if (choices.qqChatLog) {
        QqFolder qq = FindQqFolder(ports.files, ports.shellFolders, ports.registry, workspace, log);
        if (qq.logFolder) context.SetQqFolder(*qq.logFolder);
        if (!qq.path.empty()) backup.AddWholeFolder(qq.path);
    }
    for (const std::string& folder : choices.folders) backup.AddWholeFolder(folder);
    const bool chosen[] = {choices.pictures, choices.music, choices.documents, choices.videos};
    for (size_t i = 0; i < BackupCategories().size(); ++i) {
        if (chosen[i]) backup.AddCategory(BackupCategories()[i].extensions, BackupCategories()[i].name);
    }

    backup.CopyWholeFolders();
    backup.BackupByCategory(std::string(1, context.SystemLetter()) + ":");
    if (control.StopRequested()) log.Write(kArea, "stopped before the end");
    reporter.Done();
}

FileBackupJob::FileBackupJob(AppContext& context, BackupPorts ports, BackupReporter& reporter, Log& log, Clock& clock,
                             JobListener* listener)
    : context_(context), ports_(ports), reporter_(reporter), log_(log), job_("user-file backup", clock, listener) {}

bool FileBackupJob::Start(BackupChoices choices) {
    if (job_.Started()) return false;
    choices_ = std::move(choices);
    bool started = job_.Start([this](JobControl& control) {
        RunFileBackup(control, context_, choices_, ports_, reporter_, log_);
        return Status::Ok();
    });
    // The window waits for the end; a backup that never began has ended.
    if (!started) {
        log_.Write(kArea, "the backup thread could not be started");
        reporter_.Done();
    }
    return started;
}

}  // namespace qnb
