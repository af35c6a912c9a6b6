#include "jobs/window_listener_win32.h"

#include "jobs/window_messages.h"

namespace qnb::win32 {

static_assert(kWmUser == WM_USER);

void WindowJobListener::ProgressChanged() {
    if (pending_.exchange(true)) return;
    if (!PostMessageW(window_, WM_JOB_EVENT, jobId_, kJobProgress)) pending_ = false;
}

void WindowJobListener::Finished(const Status&) { PostMessageW(window_, WM_JOB_EVENT, jobId_, kJobFinished); }

}  // namespace qnb::win32
