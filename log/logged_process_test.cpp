#include "log/logged_process.h"

#include "platform/fake/fake_process.h"

#include <gtest/gtest.h>

#include <vector>

namespace qnb {
namespace {

class LinesLog : public Log {
public:
    void Write(std::string_view area, std::string_view text) override {
        lines.push_back(std::string(area) + ": " + std::string(text));
    }
    std::vector<std::string> lines;
};

TEST(LoggedProcessPort, WritesTheCommandLineAndTheExitCodeOrTheFailure) {
    fake::FakeProcess inner;
    ProcessOutcome done;
    done.exitCode = 3;
    done.output = "the tool's own words";
    inner.Script("C:\\Windows\\System32\\bcdedit.exe", done);
    LinesLog log;
    LoggedProcessPort port(inner, log);

    ProcessRequest request;
    request.program = "C:\\Windows\\System32\\bcdedit.exe";
    request.arguments = "/timeout 3";
    request.captureOutput = true;
    ASSERT_TRUE(port.Run(request).ok());
    request.program = "C:\\missing.exe";
    request.arguments.clear();
    EXPECT_FALSE(port.Run(request).ok());

    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "tool: start \"C:\\Windows\\System32\\bcdedit.exe\" /timeout 3",
                             "tool: exit code 3: C:\\Windows\\System32\\bcdedit.exe",
                             "tool: start \"C:\\missing.exe\"",
                             "tool: failed: start program \"C:\\missing.exe\": error 2",
                         }));
}

}  // namespace
}  // namespace qnb
