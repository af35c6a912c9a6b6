// A job watched by a window: "progress changed" and "finished" become
// WM_JOB_EVENT messages posted to the window. Progress is posted once until
// the window has taken it (Acknowledge), so a busy job never floods the
// message queue; "finished" is always posted.
#pragma once

#include "jobs/job.h"

#include <windows.h>

#include <atomic>

namespace qnb::win32 {

class WindowJobListener : public JobListener {
public:
    WindowJobListener(HWND window, WPARAM jobId) : window_(window), jobId_(jobId) {}

    void ProgressChanged() override;
    void Finished(const Status& outcome) override;
    // The window has read the snapshot: the next change is posted again.
    void Acknowledge() { pending_ = false; }

private:
    HWND window_;
    WPARAM jobId_;
    std::atomic<bool> pending_{false};
};

}  // namespace qnb::win32
