#include "filebackup/backup_exclusions.h"

#include "platform/paths.h"

namespace qnb {

namespace {

constexpr char kArea[] = "backup";

// The long form of a shell folder, or the folder as it is when that cannot be had.
std::optional<std::string> LongFolder(FileSystem& files, ShellFolderPort& shellFolders, ShellFolder which, Log& log) {
    Result<std::string> folder = shellFolders.Path(which);
    if (!folder) {
        log.Failed(kArea, folder.failure());
        return std::nullopt;
    }
    Result<std::string> longForm = files.longPathName(*folder);
    if (!longForm) {
        log.Failed(kArea, longForm.failure());
        return *folder;
    }
    return std::string(paths::WithoutTrailingSeparator(*longForm));
}

}  // namespace

std::vector<std::string> BackupExclusions(FileSystem& files, ShellFolderPort& shellFolders, const WindowsPlace& place,
                                          Log& log) {
    std::vector<std::string> folders;
    char letter = place.systemLetter;
    if (place.peMode) {
        folders.push_back(std::string(1, letter) + ":\\Windows");
    } else if (std::optional<std::string> windows = LongFolder(files, shellFolders, ShellFolder::kWindows, log)) {
        if (!windows->empty()) letter = (*windows)[0];
        folders.push_back(*windows);
    }
    const std::string drive = std::string(1, letter) + ":\\";
    folders.push_back(drive + "Program Files");
    if (place.is64) folders.push_back(drive + "Program Files (x86)");
    for (const char* name : {"System Volume Information", "Recovery", "Boot", "$Recycle.Bin", "ProgramData"}) {
        folders.push_back(drive + name);
    }
    if (!place.peMode) {
        for (ShellFolder which : {ShellFolder::kTemporary, ShellFolder::kInternetCache}) {
            if (std::optional<std::string> folder = LongFolder(files, shellFolders, which, log)) {
                folders.push_back(*folder);
            }
        }
    }
    return folders;
}

}  // namespace qnb
