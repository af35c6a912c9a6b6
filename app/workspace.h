// The workspace folder "X:\Quenbrook\Data\": where every file the program
// keeps lives, on a partition that survives the reinstallation of the system.
#pragma once

#include "app/disk_info.h"
#include "platform/file_system.h"
#include "platform/folder_security.h"

#include <string>
#include <vector>

namespace qnb {

constexpr char kWorkspaceFolder[] = "Quenbrook\\Data\\";
constexpr char kWorkspaceNoteName[] = "Quenbrook\\请勿删除！关于本文件夹的说明.txt";
constexpr uint64_t kWorkspaceMinimumFree = 10 * kGiB;  // a new workspace needs strictly more

enum WorkspaceResult { kWorkspaceNone = -1, kWorkspaceCreated = 0, kWorkspaceFound = 1 };

struct WorkspaceChoice {
    int result = kWorkspaceNone;
    std::string path;       // "D:\Quenbrook\Data\", empty when none
    // The folder lies on the disk that holds the system partition; for a
    // folder found from an earlier run it is decided by the caller.
    bool sameDisk = true;
    // Why a folder from an earlier run (it or "Quenbrook" above it) may not
    // be trusted; kTrusted for it and for a folder made now.
    FolderTrust trust = FolderTrust::kTrusted;
    bool Trusted() const { return trust == FolderTrust::kTrusted; }
};

// Finds the folder of an earlier run (Z to A), or chooses a partition and
// creates the folder with the note file beside it. "Quenbrook" and
// "Data" are made with the protected access list (a "Quenbrook" there
// already is given it). A folder of an earlier run that is, or lies in, a
// junction or link is passed over, and one made now that turns out to be
// one is no workspace.
WorkspaceChoice ChooseWorkspace(FileSystem& files, FolderSecurity& security, const std::vector<DiskInfo>& disks,
                                char systemLetter);

// For a folder found from an earlier run: the first partition carrying its
// letter decides whether it lies on the system disk.
bool WorkspaceOnSystemDisk(const std::vector<DiskInfo>& disks, char workspaceLetter, char systemLetter);

// The note file's text (UTF-8, CR LF line ends).
std::string WorkspaceNoteText();

}  // namespace qnb
