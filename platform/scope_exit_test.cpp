#include "platform/scope_exit.h"

#include <gtest/gtest.h>

#include <string>

namespace qnb {
namespace {

void Work(std::string& log, bool early, bool released) {
    ScopeExit cleanUp([&] { log += "clean;"; });
    if (released) cleanUp.Release();
    log += "work;";
    if (early) return;
    log += "late;";
}

TEST(ScopeExit, RunsOnEveryWayOutUnlessReleased) {
    struct Case { bool early, released; const char* log; };
    const Case cases[] = {
        {false, false, "work;late;clean;"},
        {true, false, "work;clean;"},
        {false, true, "work;late;"},
        {true, true, "work;"},
    };
    for (const Case& c : cases) {
        std::string log;
        Work(log, c.early, c.released);
        EXPECT_EQ(log, c.log);
    }
}

TEST(ScopeExit, RunsWhenAnExceptionLeaves) {
    std::string log;
    try {
        ScopeExit cleanUp([&] { log += "clean;"; });
        throw 1;
    } catch (int) {
        log += "caught;";
    }
    EXPECT_EQ(log, "clean;caught;");
}

}  // namespace
}  // namespace qnb
