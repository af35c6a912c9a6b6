// The ISO worker of the image choice: mounts the chosen ISO, reads the
// images of its sources\install.wim, unmounts it, and says what the window
// is to do. It runs as a job; the window reads the snapshot when told.
#pragma once

#include "images/image_list.h"
#include "images/iso_tools.h"
#include "jobs/job.h"
#include "platform/file_system.h"

#include <chrono>
#include <string>
#include <vector>

namespace qnb::images {

// The window's results (ShowModal's code).
constexpr int kIsoCancelled = 0;
constexpr int kIsoAccepted = 1;
constexpr int kIsoUnreadable = 2;

// What the worker has found so far.
struct IsoInspection {
    bool ready = false;              // the mounted ISO has a readable sources\install.wim
    bool finished = false;           // the worker is done and the ISO unmounted again
    std::vector<std::string> labels;  // the images' labels, in the WIM's order
};

// What the window does once the worker has finished.
struct IsoDecision {
    enum Step {
        kClose,   // close with result (imageIndex already set)
        kChoose,  // page 1: the labels, the last one selected; imageIndex is their count
        kFail,    // the message "未能获取镜像信息，请重试", then close with result 2
    } step = kClose;
    int result = kIsoAccepted;
    bool ready = false;
    int imageIndex = 0;
};
IsoDecision Decide(const IsoInspection& inspection);

constexpr char kUnreadableMessage[] = "未能获取镜像信息，请重试";
constexpr char kUnreadableCaption[] = "错误";

// The pause after install.wim was found, before it is listed.
constexpr std::chrono::seconds kListDelay{2};

// "Z:\sources\install.wim".
std::string InstallWimPath(char letter);

// The job's work. Publishes ready (with NotifyProgress) as soon as it is
// known, and the whole result with finished set at the end; the ISO is
// unmounted before that, also when stop was requested meanwhile.
Status InspectIso(JobControl& control, IsoTools& tools, FileSystem& files, const std::string& isoPath,
                  Snapshot<IsoInspection>& snapshot);

}  // namespace qnb::images
