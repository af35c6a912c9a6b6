#include "app/workspace.h"

#include "app/windows_facts.h"
#include "platform/folder_tree.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <cstdio>

namespace qnb {

namespace {

std::string WorkspacePathOn(char letter) {
    char path[64];
    std::snprintf(path, sizeof path, "%c:\\%s", letter, kWorkspaceFolder);
    return path;
}

// "X:\Quenbrook\" of "X:\Quenbrook\Data\".
std::string ParentOf(const std::string& workspace) {
    return std::string(paths::Folder(paths::WithoutTrailingSeparator(workspace)));
}

// What the folder and "Quenbrook" above it are worth: the first that is not trusted.
FolderTrust TrustOf(FolderSecurity& security, const std::string& workspace) {
    FolderTrust parent = security.Inspect(ParentOf(workspace));
    if (parent == FolderTrust::kReparsePoint) return parent;
    FolderTrust folder = security.Inspect(workspace);
    if (folder != FolderTrust::kTrusted) return folder;
    return parent;
}

void WriteNote(FileSystem& files, const std::string& workspace) {
    std::string path = workspace.substr(0, 3) + kWorkspaceNoteName;
    files.writeFile(path, text::Utf8ToAnsi(WorkspaceNoteText()));  // informational: a failure is skipped
}

}  // namespace

std::string WorkspaceNoteText() {
    return "用户参考：\r\n"
           "\r\n"
           "Q1：这个文件夹是什么？\r\n"
           "本目录由Tessaly重装助手生成,用于存储缓存文件和备份文件。\r\n"
           "\r\n"
           "Q2：为什么在这里，可以修改么？\r\n"
           "默认情况下，Tessaly重装助手会根据磁盘剩余空间，自动选择最大的本地磁盘生成本目录。建议不要移动或修改本目录！\r\n"
           "\r\n"
           "Q3：本文件夹可以删除吗？\r\n"
           "如非特殊情况请勿删除本文件夹。删除后Tessaly重装助手备份的文件和系统镜像将丢失！\r\n";
}

bool WorkspaceOnSystemDisk(const std::vector<DiskInfo>& disks, char workspaceLetter, char systemLetter) {
    for (const DiskInfo& disk : disks) {
        for (const PartitionInfo& p : disk.partitions) {
            if (p.letter == workspaceLetter) return disk.HasLetter(systemLetter);
        }
    }
    return true;  // unknown: keep the initial value
}

WorkspaceChoice ChooseWorkspace(FileSystem& files, FolderSecurity& security, const std::vector<DiskInfo>& disks,
                                char systemLetter) {
    WorkspaceChoice choice;

    // 1. A folder from an earlier run, searched from Z down, any drive. A
    //    junction or link leads wherever its maker chose: never adopted.
    for (char letter = 'Z'; letter >= 'A'; --letter) {
        std::string path = WorkspacePathOn(letter);
        if (files.access(path, FileSystem::kReadWrite)) {
            FolderTrust trust = TrustOf(security, path);
            if (trust == FolderTrust::kReparsePoint) continue;
            choice.result = kWorkspaceFound;
            choice.path = path;
            choice.trust = trust;
            return choice;
        }
    }

    // 2. A new one: the disks from the last to the first. Another disk's
    //    NTFS data partition with enough room wins at once; on the system
    //    disk the partition with most free space (not the system one) is kept.
    uint64_t bestFree = 0;
    char bestLetter = kUnknownLetter;
    char otherDiskLetter = 0;
    for (auto disk = disks.rbegin(); disk != disks.rend(); ++disk) {
        if (disk->IsUsb() || disk->fileBackedVirtual) continue;
        if (disk->HasLetter(systemLetter)) {
            for (const PartitionInfo& p : disk->partitions) {
                if (p.free > bestFree && p.letter != systemLetter && p.letter != 0) {
                    bestFree = p.free;
                    bestLetter = p.letter;
                }
            }
            continue;
        }
        PartitionInfo data = disk->LargestDataPartition();
        if (data.free > kWorkspaceMinimumFree && data.fileSystem.size() >= 2 && data.fileSystem[1] == 'T' &&
            data.letter != 0) {
            otherDiskLetter = data.letter;
            break;
        }
    }

    // 3. A partition on another disk, whenever one was found, makes a
    //    workspace that does not share the system disk. Otherwise the system
    //    disk's best partition needs more than 10 GiB free.
    char letter;
    if (otherDiskLetter != 0) {
        letter = otherDiskLetter;
        choice.sameDisk = false;
    } else if (bestFree > kWorkspaceMinimumFree) {
        letter = bestLetter;
        choice.sameDisk = true;
    } else {
        choice.sameDisk = bestFree == 0 ? false : choice.sameDisk;
        return choice;  // no partition with enough space
    }

    // 4. Create it, and the note beside it: "Quenbrook" and "Data" with the
    //    protected access list; either of them there already (a "Quenbrook"
    //    someone else made) is given it, and a junction or link is no workspace.
    std::string path = WorkspacePathOn(letter);
    for (const std::string& folder : {ParentOf(path), path}) {
        if (!security.CreateProtected(folder)) return choice;
        FolderTrust trust = security.Inspect(folder);
        if (trust == FolderTrust::kReparsePoint || trust == FolderTrust::kUnknown) return choice;
        if (trust != FolderTrust::kTrusted) (void)security.Protect(folder);
    }
    choice.path = path;
    choice.result = kWorkspaceCreated;
    WriteNote(files, path);
    return choice;
}

}  // namespace qnb
