// The process adapter on a real (Wine) system, with qnb_test_child as the
// program it starts.
#include "platform/error_codes.h"
#include "platform/shell_folders.h"
#include "platform/text.h"
#include "platform/win32/handles.h"
#include "platform/win32/process_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace qnb::win32 {
namespace {

// The child's full Windows path: the build gives its host path, which Wine
// shows under Z:.
std::string WindowsPathOf(const char* hostPath) {
    std::string path = "Z:" + std::string(hostPath);
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
}

std::string ChildPath() { return WindowsPathOf(QNB_TEST_CHILD); }

ProcessRequest Child(const std::string& arguments) {
    ProcessRequest request;
    request.program = ChildPath();
    request.arguments = arguments;
    return request;
}

// More than a pipe holds many times over: a parent that reads only after
// the end, or not at all, would wait for ever.
TEST(Win32Process, OutputLargerThanAPipeComesWholeWithTheExitCode) {
    ProcessRequest request = Child("write 1048576 exit 7");
    request.captureOutput = true;
    request.wait = false;  // capturing waits all the same
    Result<ProcessOutcome> outcome = Win32Process().Run(request);
    ASSERT_TRUE(outcome) << outcome.failure().Describe();
    EXPECT_EQ(outcome->exitCode, 7u);
    ASSERT_EQ(outcome->output.size(), 1048576u);
    size_t misplaced = 0;
    for (size_t i = 0; i < outcome->output.size(); ++i) {
        misplaced += outcome->output[i] != static_cast<char>('a' + i % 4096 % 26);
    }
    EXPECT_EQ(misplaced, 0u);
}

TEST(Win32Process, StandardOutputAndErrorShareOnePipe) {
    ProcessRequest request = Child("out first err second out third");
    request.captureOutput = true;
    Result<ProcessOutcome> outcome = Win32Process().Run(request);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->output, "firstsecondthird");
}

TEST(Win32Process, TheChildGetsTheQuotedProgramAndTheArguments) {
    ProcessRequest request = Child("commandline 参数 \"two words\"");
    request.captureOutput = true;
    Result<ProcessOutcome> outcome = Win32Process().Run(request);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->output, "\"" + ChildPath() + "\" commandline 参数 \"two words\"\n");
}

TEST(Win32Process, TheChildStartsInTheFolderAsked) {
    wchar_t temp[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    std::string folder = WithoutTrailingBackslash(text::Narrow(std::wstring_view(temp, length)));
    ProcessRequest request = Child("cwd");
    request.currentFolder = folder;
    request.captureOutput = true;
    Result<ProcessOutcome> outcome = Win32Process().Run(request);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->output, folder + "\n");
}

TEST(Win32Process, WaitingGivesTheExitCodeAndNotWaitingGivesNone) {
    Result<ProcessOutcome> waited = Win32Process().Run(Child("exit 3"));
    ASSERT_TRUE(waited);
    EXPECT_EQ(waited->exitCode, 3u);
    EXPECT_EQ(waited->output, "");

    ProcessRequest request = Child("exit 4");
    request.wait = false;
    request.newConsole = true;
    request.hidden = false;
    Result<ProcessOutcome> started = Win32Process().Run(request);
    ASSERT_TRUE(started);
    EXPECT_EQ(started->exitCode, 0u);
}

// Of this process's inheritable handles, only the pipe reaches the child.
TEST(Win32Process, TheChildInheritsOnlyThePipe) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    UniqueHandle event(CreateEventW(&inheritable, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    ProcessRequest request =
        Child("handle " + std::to_string(reinterpret_cast<uintptr_t>(event.get())));
    request.captureOutput = true;
    Result<ProcessOutcome> outcome = Win32Process().Run(request);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->output, "absent\n");
}

TEST(Win32Process, AProgramThatCannotStartFailsWithItsCode) {
    struct Case {
        std::string program;
        uint32_t code;
    };
    const Case cases[] = {
        {"C:\\no\\such\\program.exe", ERROR_PATH_NOT_FOUND},
        {"C:\\windows\\no-such-program.exe", ERROR_FILE_NOT_FOUND},
        {"cmd.exe", errors::kBadPathname},  // never looked up through the search order
    };
    for (const Case& c : cases) {
        ProcessRequest request;
        request.program = c.program;
        request.arguments = "/c exit 0";
        Result<ProcessOutcome> outcome = Win32Process().Run(request);
        ASSERT_FALSE(outcome) << c.program;
        EXPECT_EQ(outcome.failure().code, c.code) << c.program;
        EXPECT_EQ(outcome.failure().where, CommandLineOf(request));
    }
}

#ifdef QNB_WOW64_RUNNER
// The shipped program is 32-bit: System32's tools (bcdedit) are reached
// only with redirection off, and only for the start asked.
TEST(Win32Process, Wow64RedirectionIsOffOnlyWhenAsked) {
    wchar_t buffer[MAX_PATH + 1];
    UINT length = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    const std::string windows = text::Narrow(std::wstring_view(buffer, length));
    // One name, a 64-bit program in System32 and a 32-bit one in SysWOW64.
    const std::string system32 = windows + "\\System32\\qnb_bitness.exe";
    const std::string syswow64 = windows + "\\SysWOW64\\qnb_bitness.exe";
    ASSERT_TRUE(CopyFileW(text::Wide(ChildPath()).c_str(), text::Wide(system32).c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(text::Wide(WindowsPathOf(QNB_TEST_CHILD32)).c_str(), text::Wide(syswow64).c_str(), FALSE));

    ProcessRequest runner;
    runner.program = WindowsPathOf(QNB_WOW64_RUNNER);
    runner.arguments = "\"" + system32 + "\" bitness";
    runner.captureOutput = true;
    Result<ProcessOutcome> outcome = Win32Process().Run(runner);
    ASSERT_TRUE(outcome) << outcome.failure().Describe();
    EXPECT_EQ(outcome->output, "64\n|32\n") << "turned off, then left on";
    DeleteFileW(text::Wide(system32).c_str());
    DeleteFileW(text::Wide(syswow64).c_str());
}
#endif

}  // namespace
}  // namespace qnb::win32
