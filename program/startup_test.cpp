#include "program/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qnb {
namespace {

// Records what the entry routine asks for, in order.
class RecordingHost : public StartupHost {
public:
    bool CreateSingleInstanceMutex() override { log.push_back("mutex"); return !anotherCopy; }
    void CloseSingleInstanceMutex() override { log.push_back("close mutex"); }
    bool RequestAwake(uint32_t flags) override {
        char text[32];
        std::snprintf(text, sizeof text, "awake %08X", flags);
        log.push_back(text);
        return !(refuseAwayMode && flags == kAwakeWithAwayMode);
    }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        log.push_back("message " + text + " / " + caption);
    }
    bool InitialiseFramework() override { log.push_back("framework"); return frameworkWorks; }
    void InitialiseContext() override { log.push_back("context"); }
    void SendStartupReport() override { log.push_back("report"); }
    void StartBackgroundThreads() override { log.push_back("threads"); }
    bool InitialiseCom() override { log.push_back("com"); return comWorks; }
    void RunMainWindow() override { log.push_back("main window"); }
    void StopBackgroundWork() override { log.push_back("stop background work"); }
    void StopDownloads() override { log.push_back("stop downloads"); }
    void DestroyMainWindow() override { log.push_back("destroy window"); }
    void UninitialiseCom() override { log.push_back("com end"); }

    bool anotherCopy = false, refuseAwayMode = false, frameworkWorks = true, comWorks = true;
    std::vector<std::string> log;
};

class StartupTest : public ::testing::Test {
protected:
    RecordingHost host;
};

TEST_F(StartupTest, NormalRunAndShutdownOrder) {
    EXPECT_EQ(RunProgram(host), 0);
    EXPECT_EQ(host.log, (std::vector<std::string>{"mutex", "awake 80000041", "framework", "context", "report",
                                                  "threads", "com", "main window", "close mutex",
                                                  "stop background work", "stop downloads", "destroy window",
                                                  "com end"}))
        << "a new copy may start before the background work is told to stop";
}

TEST_F(StartupTest, ASecondCopyOnlySaysSo) {
    host.anotherCopy = true;
    EXPECT_EQ(RunProgram(host), 0);
    EXPECT_EQ(host.log, (std::vector<std::string>{
                            "mutex", "message Tessaly重装助手正在运行，请不要重复打开！ / Tessaly"}));
}

TEST_F(StartupTest, WithoutAwayModeTheSystemIsStillKeptAwake) {
    host.refuseAwayMode = true;
    RunProgram(host);
    EXPECT_EQ(host.log[1], "awake 80000041");
    EXPECT_EQ(host.log[2], "awake 80000001");
    EXPECT_EQ(host.log[3], "framework");
}

TEST_F(StartupTest, FrameworkOrComFailureEndsWithoutAWindow) {
    host.frameworkWorks = false;
    RunProgram(host);
    EXPECT_EQ(host.log, (std::vector<std::string>{"mutex", "awake 80000041", "framework",
                                                  "message MFC init error! / Error!", "close mutex"}));
    RecordingHost noCom;
    noCom.comWorks = false;
    RunProgram(noCom);
    EXPECT_EQ(std::count(noCom.log.begin(), noCom.log.end(), "main window"), 0);
    EXPECT_EQ(noCom.log.back(), "close mutex");
}

}  // namespace
}  // namespace qnb
