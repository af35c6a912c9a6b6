#include "images/iso_tools.h"

#include "images/test_support/fake_iso_machine.h"

#include <gtest/gtest.h>


namespace qnb::images {
namespace {

using test::FakeIsoMachine;
using test::kImagex;
using test::kIsocmd;
using test::kToolFolder;

TEST(IsoTools, MountsAtTheHighestUnusedLetterWithTheIsoPathQuoted) {
    FakeIsoMachine bench;
    EXPECT_EQ(bench.tools.MountIso("D:\\My Images\\win10 x64.iso"), 'Z');
    EXPECT_EQ(bench.Runs(), (std::vector<std::string>{"-p", "-c 1 Z:", "-infile -mount Z: \"D:\\My Images\\win10 x64.iso\""}));
    for (const ProcessRequest& r : bench.process.Requests()) {
        EXPECT_EQ(r.program, kIsocmd) << "by full path, from the protected folder";
        EXPECT_EQ(r.currentFolder, std::string(kToolFolder) + "isocmd\\");
        EXPECT_TRUE(r.hidden && r.newConsole && r.wait);
    }
    EXPECT_TRUE(bench.process.Requests()[0].captureOutput);
}

TEST(IsoTools, TakesTheLetterBelowWhenTheHighestIsUsed) {
    FakeIsoMachine bench;
    bench.used = "CDEZ";
    EXPECT_EQ(bench.tools.MountIso("D:\\a.iso"), 'Y');
}

TEST(IsoTools, WithEveryLetterInUseNothingIsReservedOrMounted) {
    FakeIsoMachine bench;
    bench.used = "CDEFGHIJKLMNOPQRSTUVWXYZ";
    EXPECT_EQ(bench.tools.MountIso("D:\\a.iso"), 0);
    EXPECT_EQ(bench.Runs(), std::vector<std::string>{"-p"});
}

TEST(IsoTools, AskedToInstallOnlyWhenTheDeviceCountIsMissing) {
    struct Case {
        const char* devices;  // nullptr: the run fails to start
        const char* install;
        char letter;
        std::vector<std::string> runs;
    } cases[] = {
        {"Number of Devices=3", "", 'Z', {"-p", "-c 1 Z:", "-infile -mount Z: \"D:\\a.iso\""}},
        {"this Windows cannot attach ISO files", "ISO support installed successfully", 'Z',
         {"-p", "-i", "-c 1 Z:", "-infile -mount Z: \"D:\\a.iso\""}},
        {"", "this Windows cannot attach ISO files", 0, {"-p", "-i"}},
        {"number of devices=1", "Installed Successfully", 0, {"-p", "-i"}},  // the texts are case-sensitive
    };
    for (const Case& c : cases) {
        FakeIsoMachine bench;
        bench.answers = {{"-p", c.devices}, {"-i", c.install}};
        EXPECT_EQ(bench.tools.MountIso("D:\\a.iso"), c.letter) << c.devices;
        EXPECT_EQ(bench.Runs(), c.runs) << c.devices;
    }
}

TEST(IsoTools, ALetterWhoseRootDoesNotAppearIsNoMount) {
    FakeIsoMachine bench;
    bench.process.Script(kIsocmd, ProcessOutcome{0, "Number of Devices=0"});
    bench.process.Script(kIsocmd, ProcessOutcome{});
    bench.process.Script(kIsocmd, ProcessOutcome{1, "cannot attach"});  // -mount, nothing appears
    EXPECT_EQ(bench.tools.MountIso("D:\\a.iso"), 0);
}

TEST(IsoTools, AToolThatCannotBeStartedOrDeployedMountsNothing) {
    FakeIsoMachine missing;
    missing.process.Script(kIsocmd, Failure{"start program", kIsocmd, 2});
    missing.process.Script(kIsocmd, Failure{"start program", kIsocmd, 2});
    EXPECT_EQ(missing.tools.MountIso("D:\\a.iso"), 0);

    FakeIsoMachine empty;
    empty.carried.clear();
    EXPECT_EQ(empty.tools.MountIso("D:\\a.iso"), 0);
    EXPECT_TRUE(empty.process.Requests().empty()) << "nothing is started from a folder without the tool";
}

TEST(IsoTools, TheToolsAreDeployedOncePerProcessIntoOneFolder) {
    FakeIsoMachine bench;
    EXPECT_EQ(bench.tools.MountIso("D:\\a.iso"), 'Z');
    bench.tools.UnmountIso('Z');
    bench.mounted.clear();
    EXPECT_EQ(bench.tools.MountIso("D:\\b.iso"), 'Z');
    bench.tools.ListImages("Z:\\sources\\install.wim");
    bench.tools.ListImages("Z:\\sources\\install.wim");
    EXPECT_EQ(bench.tools.isocmdDeployments(), 1);
    EXPECT_EQ(bench.tools.imagexDeployments(), 1);
    EXPECT_EQ(bench.folders, 1);
    EXPECT_EQ(bench.extracted, (std::vector<std::string>{kIsocmd, kImagex})) << "drivers the payload lacks are skipped";
}

TEST(IsoTools, AFailedDeploymentIsTriedAgainNextTime) {
    FakeIsoMachine bench;
    bench.carried.clear();
    EXPECT_FALSE(bench.tools.RunIsoTool("-p", true, true));
    bench.carried = {kIsocmdEntry};
    EXPECT_EQ(bench.tools.RunIsoTool("-p", true, true).value_or("?"), "Number of Devices=0\r\n");
}

TEST(IsoTools, UnmountDetachesTheLetterThenEverythingWaitingForEach) {
    FakeIsoMachine bench;
    bench.tools.UnmountIso('Z');
    bench.tools.UnmountIso(0);
    EXPECT_EQ(bench.Runs(), (std::vector<std::string>{"-e Z:", "-r", "-r"}));
    for (const ProcessRequest& r : bench.process.Requests()) EXPECT_TRUE(r.wait && !r.captureOutput);
}

TEST(IsoTools, ListsImagesWithImagexAndItsOutput) {
    FakeIsoMachine bench;
    bench.process.Script(kImagex, ProcessOutcome{0, "<WIM></WIM>"});
    EXPECT_EQ(bench.tools.ListImages("Z:\\sources\\install.wim").value_or("?"), "<WIM></WIM>");
    ProcessRequest run = bench.process.Requests().back();
    EXPECT_EQ(run.program, kImagex);
    EXPECT_EQ(run.arguments, "/xml /info \"Z:\\sources\\install.wim\"");
    EXPECT_TRUE(run.captureOutput && run.hidden);

    bench.process.Script(kImagex, ProcessOutcome{1, "imagex: the file is not a WIM file"});
    EXPECT_FALSE(bench.tools.ListImages("Z:\\sources\\install.wim")) << "a failed listing is no listing";
}

}  // namespace
}  // namespace qnb::images
