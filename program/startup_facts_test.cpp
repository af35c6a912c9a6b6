#include "program/startup_facts.h"

#include "app/test_support/machine_fixture.h"

#include <gtest/gtest.h>

namespace qnb {
namespace {

TEST(StartupFacts, NameTheWindowsTheDisksAndTheWorkspace) {
    test::MachineFixture machine{test::MachineJson("one-disk-c-d")};
    AppContext context;
    ASSERT_TRUE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()));
    const std::string facts = StartupFacts(context, "1.0.0");
    for (const char* part : {"program 1.0.0", "Windows 10.0", "64-bit", "PE mode no", "system C: on disk 0",
                             "1 disks", "workspace D:\\Quenbrook\\Data\\", "ready yes"}) {
        EXPECT_NE(facts.find(part), std::string::npos) << part << " in " << facts;
    }
}

TEST(StartupFacts, AContextThatFailedSaysSo) {
    AppContext context;
    const std::string facts = StartupFacts(context, "1.0.0");
    EXPECT_NE(facts.find("workspace none; ready no"), std::string::npos) << facts;
    EXPECT_NE(facts.find("system ?:"), std::string::npos) << facts;
}

}  // namespace
}  // namespace qnb
