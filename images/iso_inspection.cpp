#include "images/iso_inspection.h"

namespace qnb::images {

IsoDecision Decide(const IsoInspection& inspection) {
    IsoDecision decision;
    decision.ready = inspection.ready;
    if (!inspection.ready) return decision;  // accepted without an image number
    int count = static_cast<int>(inspection.labels.size());
    if (count >= 2) {
        decision.step = IsoDecision::kChoose;
        decision.imageIndex = count;
    } else if (count == 1) {
        decision.imageIndex = 1;
    } else {
        decision.step = IsoDecision::kFail;
        decision.result = kIsoUnreadable;
    }
    return decision;
}

std::string InstallWimPath(char letter) { return std::string(1, letter) + ":\\sources\\install.wim"; }

Status InspectIso(JobControl& control, IsoTools& tools, FileSystem& files, const std::string& isoPath,
                  Snapshot<IsoInspection>& snapshot) {
    char letter = tools.MountIso(isoPath);
    std::vector<std::string> labels;
    bool ready = letter != 0 && files.openRead(InstallWimPath(letter)).ok();
    if (ready) {
        snapshot.Update([](IsoInspection& i) { i.ready = true; });
        control.NotifyProgress();
        if (control.SleepFor(kListDelay)) {
            if (std::optional<std::string> xml = tools.ListImages(InstallWimPath(letter))) {
                for (const ImageEntry& image : ParseImageList(*xml)) labels.push_back(image.Label());
            }
        }
    }
    tools.UnmountIso(letter);
    snapshot.Update([&](IsoInspection& i) {
        i.labels = std::move(labels);
        i.finished = true;
    });
    control.NotifyProgress();
    return Status::Ok();
}

}  // namespace qnb::images
