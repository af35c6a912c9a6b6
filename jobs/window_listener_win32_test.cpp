#include "jobs/window_listener_win32.h"

#include "jobs/window_messages.h"

#include <gtest/gtest.h>

namespace qnb::win32 {
namespace {

// Messages for a message-only window, read back without dispatching.
std::vector<MSG> Drain(HWND window) {
    std::vector<MSG> messages;
    MSG message;
    while (PeekMessageW(&message, window, WM_JOB_EVENT, WM_JOB_EVENT, PM_REMOVE)) messages.push_back(message);
    return messages;
}

TEST(WindowJobListener, PostsProgressOnceUntilTakenAndAlwaysTheEnd) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    WindowJobListener listener(window, 7);
    Job job("posting job", SystemClock(), &listener);
    ASSERT_TRUE(job.Start([](JobControl& control) {
        for (int i = 0; i < 50; ++i) control.NotifyProgress();
        return Status(Failure{"copy file", "C:\\a", 5});
    }));
    job.Join();
    std::vector<MSG> messages = Drain(window);
    ASSERT_EQ(messages.size(), 2u) << "one progress message while the window has not taken it, then the end";
    EXPECT_EQ(messages[0].wParam, 7u);
    EXPECT_EQ(messages[0].lParam, kJobProgress);
    EXPECT_EQ(messages[1].lParam, kJobFinished);

    listener.Acknowledge();
    listener.ProgressChanged();
    EXPECT_EQ(Drain(window).size(), 1u) << "after the window took it, the next change is posted";
    DestroyWindow(window);
}

}  // namespace
}  // namespace qnb::win32
