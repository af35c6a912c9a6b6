// The backup's messages to its window under Wine: what is posted, with
// which parameters, and what is held back.
#include "filebackup/window_reporter_win32.h"

#include "filebackup/test_support/recording_log.h"
#include "jobs/posted_text.h"
#include "jobs/window_messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qnb::win32 {
namespace {

// The backup's messages for a message-only window, texts taken back.
std::vector<std::string> Drain(HWND window) {
    std::vector<std::string> seen;
    MSG m;
    while (PeekMessageW(&m, window, WM_BACKUP_STATUS, WM_STAGE_DONE, PM_REMOVE)) {
        if (m.message == WM_BACKUP_STATUS) seen.push_back("status " + TakePostedText(m.wParam) + " " + std::to_string(m.lParam));
        if (m.message == WM_BACKUP_FILE_ERROR) {
            seen.push_back("error " + TakePostedText(m.wParam) + " " + std::to_string(m.lParam));
        }
        if (m.message == WM_STAGE_DONE) seen.push_back("done " + std::to_string(m.wParam) + " " + std::to_string(m.lParam));
    }
    return seen;
}

TEST(WindowBackupReporter, PostsAStatusOnlyWhenTheLastWasShownAndEveryErrorAndTheEnd) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    test::RecordingLog log;
    WindowBackupReporter reporter(window, log);
    reporter.Status("C:\\Users\\我\\Desktop\\a.txt");
    reporter.Status("b.jpg");
    reporter.FileError("C:\\Users\\我\\Desktop\\locked.doc", 32);
    reporter.FileError("C:\\x", 0x80070005);
    reporter.Done();
    EXPECT_EQ(Drain(window), (std::vector<std::string>{
                                 "status C:\\Users\\我\\Desktop\\a.txt 0",
                                 "error C:\\Users\\我\\Desktop\\locked.doc 32",
                                 "error C:\\x 2147942405",
                                 "done 1 0",
                             }));
    reporter.StatusShown();
    reporter.Status("c.jpg");
    EXPECT_EQ(Drain(window), std::vector<std::string>{"status c.jpg 0"});
    DestroyWindow(window);
}

TEST(WindowBackupReporter, AWindowThatIsGoneLosesTheMessageButTheLogHasIt) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    DestroyWindow(window);
    test::RecordingLog log;
    WindowBackupReporter reporter(window, log);
    reporter.Status("a.jpg");
    reporter.FileError("C:\\a.jpg", 5);
    EXPECT_TRUE(log.Holds("post message 1125: error 1400")) << "ERROR_INVALID_WINDOW_HANDLE";
    reporter.Status("b.jpg");
    EXPECT_TRUE(log.Holds("post message 1124: error 1400")) << "a status that was never posted does not block the next";
    EXPECT_EQ(log.Lines().size(), 3u);
}

}  // namespace
}  // namespace qnb::win32
