// The space guard: while the program runs, deletes stale files from the
// workspace folder whenever its drive has less than 6 GiB free, sparing the
// hand-off and record files, programs, and the downloads in progress.
#pragma once

#include "app/app_context.h"
#include "app/disk_info.h"
#include "jobs/job.h"
#include "platform/file_system.h"
#include "platform/storage_port.h"

#include <chrono>
#include <functional>
#include <string>

namespace qnb {

constexpr uint64_t kSpaceGuardThreshold = 6 * kGiB;

// The save path of the download of a URL; "" when there is none.
using SavePathLookup = std::function<std::string(const std::string& url)>;

// True when a workspace file survives a clean-up: its full path contains
// one of the two download names, ".json" or ".exe" (substring tests that
// ignore ASCII case, as Windows names do). Empty names become "NULL_X".
bool KeptByGuard(const std::string& fullPath, const std::string& name1, const std::string& name2);

// One round: when the workspace drive has less than 6 GiB free (and the
// query succeeded), deletes every file the keep rule does not protect;
// folders, junctions and links of any kind are never entered or deleted,
// and a workspace folder that is itself one is left alone. Returns the
// number of files deleted.
int SpaceGuardRound(StoragePort& storage, FileSystem& files, const std::string& workspace,
                    const std::string& name1, const std::string& name2);

struct SpaceGuardTiming {
    std::chrono::milliseconds readyPoll{200};
    std::chrono::milliseconds period{500};
};

// The job's work: waits until the context is ready, then runs a round every
// period until stopped. The names kept are those of the selected catalogue
// image's download (or, when a local image is chosen, the image's file name)
// and of the preinstallation package's download.
Status RunSpaceGuard(JobControl& control, const AppContext& context, StoragePort& storage, FileSystem& files,
                     const SavePathLookup& savePathOf, SpaceGuardTiming timing = {});

}  // namespace qnb
