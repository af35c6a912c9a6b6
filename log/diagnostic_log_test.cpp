#include "log/diagnostic_log.h"

#include "platform/posix/host_file_system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace qnb {
namespace {

class DiagnosticLogTest : public ::testing::Test {
protected:
    DiagnosticLogTest() { ::mkdir((root_ + "/D").c_str(), 0755); }
    ~DiagnosticLogTest() override { std::system(("rm -rf '" + root_ + "'").c_str()); }

    std::string Read(const std::string& name) { return files_.readFile(kLogs + name).value_or("<missing>"); }

    static std::string MakeRoot() {
        char pattern[] = "/tmp/qnb-log-XXXXXX";
        return ::mkdtemp(pattern);
    }
    const std::string kWorkspace = "D:\\Quenbrook\\Data\\";
    const std::string kLogs = kWorkspace + "logs\\";
    std::string root_ = MakeRoot();
    HostFileSystem files_{root_};
    int tick_ = 0;
    std::function<std::string()> stamp_ = [this] { return "t" + std::to_string(++tick_); };
};

TEST_F(DiagnosticLogTest, LinesBeforeTheWorkspaceIsKnownGoFirstOnceItIs) {
    DiagnosticLog log(files_, stamp_);
    log.Write("startup", "Windows 6.1.7601 x64");
    EXPECT_EQ(log.Path(), "");
    ASSERT_TRUE(log.Open(kWorkspace));
    log.Failed("catalogue", Failure{"connect", "127.0.0.1:80", 10061});
    EXPECT_EQ(log.Path(), kLogs + kLogFile);
    EXPECT_EQ(Read(kLogFile), "t1 [startup] Windows 6.1.7601 x64\r\n"
                              "t2 [catalogue] failed: connect 127.0.0.1:80: error 10061\r\n");
}

TEST_F(DiagnosticLogTest, ATextCannotForgeALineAndLongTextsAreCut) {
    DiagnosticLogOptions options;
    options.maxLineBytes = 16;
    DiagnosticLog log(files_, stamp_, options);
    ASSERT_TRUE(log.Open(kWorkspace));
    log.Write("tool", "a\r\nt9 [startup] forged");
    log.Write("x", "0123456789abcdefXYZ");
    EXPECT_EQ(Read(kLogFile), "t1 [tool] a  t9 [startup] ...\r\n"
                              "t2 [x] 0123456789abcdef...\r\n");
}

TEST_F(DiagnosticLogTest, TheFileStaysUnderItsCapWithOnePreviousFileKept) {
    DiagnosticLogOptions options;
    options.maxFileBytes = 100;
    DiagnosticLog log(files_, stamp_, options);
    ASSERT_TRUE(log.Open(kWorkspace));
    for (int i = 0; i < 40; ++i) log.Write("download", "line number " + std::to_string(i));
    std::string current = Read(kLogFile), previous = Read(kPreviousLogFile);
    EXPECT_LE(current.size(), 100u);
    EXPECT_LE(previous.size(), 100u);
    EXPECT_NE(current.find("line number 39\r\n"), std::string::npos) << current;
    EXPECT_EQ(previous.substr(previous.size() - 2), "\r\n") << "the previous file holds whole lines";
    EXPECT_EQ(files_.list(kLogs).size(), 4u) << "\".\", \"..\" and the two files, no third";
}

TEST_F(DiagnosticLogTest, WaitingLinesAreBoundedAndTheDropIsSaid) {
    DiagnosticLogOptions options;
    options.maxWaitingLines = 3;
    DiagnosticLog log(files_, stamp_, options);
    for (int i = 0; i < 10; ++i) log.Write("startup", std::to_string(i));
    EXPECT_FALSE(log.Open("Q:\\no\\such\\drive\\")) << "no folder: the lines keep waiting";
    ASSERT_TRUE(log.Open(kWorkspace));
    std::string text = Read(kLogFile);
    EXPECT_EQ(text.find("[startup] 3"), std::string::npos);
    EXPECT_NE(text.find("[startup] 2"), std::string::npos);
    EXPECT_NE(text.find("7 earlier lines were dropped"), std::string::npos) << text;
}

}  // namespace
}  // namespace qnb
