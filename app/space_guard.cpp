#include "app/space_guard.h"

#include "platform/ascii.h"
#include "platform/paths.h"

namespace qnb {

bool KeptByGuard(const std::string& fullPath, const std::string& name1, const std::string& name2) {
    const std::string first = name1.empty() ? "NULL_X" : name1;
    const std::string second = name2.empty() ? "NULL_X" : name2;
    for (const std::string& part : {first, second, std::string(".json"), std::string(".exe")}) {
        // Windows names are case-insensitive: "SETTING.JSON" is a ".json" file.
        if (ascii::ContainsIgnoringCase(fullPath, part)) return true;
    }
    return false;
}

int SpaceGuardRound(StoragePort& storage, FileSystem& files, const std::string& workspace,
                    const std::string& name1, const std::string& name2) {
    if (workspace.empty()) return 0;
    auto space = storage.diskFreeSpace(workspace.substr(0, 1) + ":\\");
    if (!space) return 0;  // unknown free space: never delete on a guess
    uint64_t freeBytes = uint64_t{space->sectorsPerCluster} * space->bytesPerSector * space->freeClusters;
    if (freeBytes >= kSpaceGuardThreshold) return 0;

    // A workspace folder that is a junction or link would lead the deletions elsewhere.
    Result<FileFacts> folder = files.facts(std::string(paths::WithoutTrailingSeparator(workspace)));
    if (!folder || !(folder->attributes & kFileAttributeDirectory) || (folder->attributes & kFileAttributeReparsePoint))
        return 0;
    int deleted = 0;
    for (const DirectoryEntry& entry : files.list(workspace)) {
        // Folders whatever their other attributes, and links of any kind: never entered, never deleted.
        if (entry.attributes & (kFileAttributeDirectory | kFileAttributeReparsePoint)) continue;
        std::string fullPath = workspace + entry.name;
        if (KeptByGuard(fullPath, name1, name2)) continue;
        if (files.deleteFile(fullPath)) ++deleted;  // failures are tried again next round
    }
    return deleted;
}

Status RunSpaceGuard(JobControl& control, const AppContext& context, StoragePort& storage, FileSystem& files,
                     const SavePathLookup& savePathOf, SpaceGuardTiming timing) {
    while (!context.IsReady()) {
        if (!control.SleepFor(timing.readyPoll)) return Status::Ok();
    }
    const std::string workspace = context.WorkspacePath();
    const auto lookup = [&](const std::string& url) { return savePathOf ? savePathOf(url) : std::string(); };
    do {
        // A local image is copied into the workspace under its own name, not downloaded.
        const HandoffValues handoff = context.Handoff();
        const std::string image = handoff.localImage ? std::string(paths::FileName(handoff.imagePath))
                                                     : lookup(context.SelectedImageUrl());
        SpaceGuardRound(storage, files, workspace, image, lookup(context.PackageUrl()));
    } while (control.SleepFor(timing.period));
    return Status::Ok();
}

}  // namespace qnb
