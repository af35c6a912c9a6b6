// CFileBackup: copies the user's files off the system drive into the
// backup root: whole folders as trees, and from the drive walk every file
// of a chosen category into one flat folder per category. Best effort: a
// file that cannot be copied is reported (with its Windows code) and the
// copying goes on.
//
// Links (junctions, symbolic links) are never followed, and the workspace
// folder (which holds the backup root) is never entered, so no copy can
// reach itself. Paths are plain Windows paths of any length; folder names
// are compared without regard to ASCII case.
#pragma once

#include "filebackup/backup_reporter.h"
#include "jobs/stop_token.h"
#include "log/log.h"
#include "platform/file_system.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qnb {

class CFileBackup {
public:
    // A name is numbered "(1)" to "(9999)" before the walk gives up on it.
    static constexpr int kMaxNumberedNames = 9999;

    // stop ends the copying between two files (and a big copy midway).
    CFileBackup(FileSystem& files, BackupReporter& reporter, Log& log, StopToken stop = {},
                int maxNumberedNames = kMaxNumberedNames);

    // Creates the folder's missing parts and copies into it from now on.
    void SetBackupRoot(const std::string& path);
    // The folder the walk and the copies never enter, nor copy from.
    void SetWorkspace(const std::string& path);

    // Folders the walk never enters (lower case, without a trailing backslash; new ones in front).
    void AddExcludedFolder(const std::string& path);
    // Folders copied whole by CopyWholeFolders and never entered by the walk (new ones in front).
    void AddWholeFolder(const std::string& path);
    // A category (extension list, name) in front of the others; its folder
    // under the backup root is made at once.
    void AddCategory(const std::string& extensions, const std::string& name);

    // Copies every whole folder, the one added last first, into the backup
    // root's folder named after its last component (lower case), or after
    // its drive ("C盘") for a drive root, where the walk's exclusions apply.
    void CopyWholeFolders();
    // Walks the drive ("C:") depth first and copies each file of a category
    // into its category's folder, numbering names that are taken
    // ("a(1).jpg"). Failures other than ERROR_PATH_NOT_FOUND are reported.
    void BackupByCategory(const std::string& drive);
    // Copies one folder tree, replacing files already there; every failure is reported.
    void CopyFolder(const std::string& source, const std::string& destination);

    // The name of the first category whose list holds the name's extension.
    std::optional<std::string> FindCategory(std::string_view fileName) const;
    // The folder is in the excluded or the whole-folder list.
    bool IsListedFolder(const std::string& path) const;
    // Makes the path's missing folders; a failure is only logged.
    void CreateFolderPath(const std::string& path);

    std::vector<std::string> ExcludedFolders() const { return {excluded_.begin(), excluded_.end()}; }
    // As stored (lower case), in list order.
    std::vector<std::string> WholeFolders() const;

private:
    struct WholeFolder {
        std::string key;   // lower case, no trailing backslash: what is compared and named after
        std::string path;  // as given: what is read
    };
    struct Category {
        std::string extensions;  // "|" in front, so that every entry reads "|.ext|"
        std::string name;
    };

    const Category* CategoryOf(std::string_view fileName) const;
    // A tree copy; with exclusions (a drive root) listed folders are left out.
    void CopyTree(const std::string& source, const std::string& destination, bool exclusions);
    // Every entry below root that is not hidden, depth first; visit says
    // whether a folder is to be entered.
    void Walk(const std::string& root,
              const std::function<bool(const std::string& path, const DirectoryEntry& entry)>& visit);
    void CopyCategoryFile(const std::string& source, const std::string& name, const Category& category);
    bool Copy(const std::string& from, const std::string& to, bool replace, Status* status);
    bool NeverEntered(const std::string& folder) const;
    bool InsideWorkspace(const std::string& path) const;
    void Report(const Failure& failure, const std::string& path);

    FileSystem& files_;
    BackupReporter& reporter_;
    Log& log_;
    StopToken stop_;
    const int maxNumberedNames_;
    std::string backupRoot_;
    std::string workspaceKey_;  // lower case, no trailing backslash
    std::deque<std::string> excluded_;
    std::deque<WholeFolder> whole_;
    std::deque<Category> categories_;
};

}  // namespace qnb
