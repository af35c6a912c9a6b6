#include "program/startup_win32.h"

#include "platform/win32/machine_win32.h"

#include <gtest/gtest.h>

namespace qnb::win32 {
namespace {

TEST(SingleInstance, ASecondCopyIsRefusedUntilTheFirstClosesItsMutex) {
    Win32StartupHost first(OpenRealMachine());
    Win32StartupHost second(OpenRealMachine());
    ASSERT_TRUE(first.CreateSingleInstanceMutex());
    EXPECT_FALSE(second.CreateSingleInstanceMutex());
    first.CloseSingleInstanceMutex();
    EXPECT_TRUE(second.CreateSingleInstanceMutex()) << "a new copy starts once the first has closed its handle";
    second.CloseSingleInstanceMutex();
}

TEST(KeepAwake, TheRequestIsAccepted) {
    Win32StartupHost host(OpenRealMachine());
    EXPECT_TRUE(host.RequestAwake(kAwake));
}

}  // namespace
}  // namespace qnb::win32
