// The workspace folder "X:\Quenbrook\Data\": where every file the program
// keeps lives, on a partition that survives the reinstallation of the system.
#pragma once

#include "app/disk_info.h"
#include "platform/file_system.h"

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
};

// Finds the folder of an earlier run (Z to A), or chooses a partition and
// creates the folder with the note file beside it.
WorkspaceChoice ChooseWorkspace(FileSystem& files, const std::vector<DiskInfo>& disks, char systemLetter);

// For a folder found from an earlier run: the first partition carrying its
// letter decides whether it lies on the system disk.
bool WorkspaceOnSystemDisk(const std::vector<DiskInfo>& disks, char workspaceLetter, char systemLetter);

// The note file's text (UTF-8, CR LF line ends).
std::string WorkspaceNoteText();

}  // namespace qnb
