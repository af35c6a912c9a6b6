#include "images/iso_inspection.h"

#include "images/test_support/fake_iso_machine.h"
#include "jobs/test_support/job_events.h"
#include "jobs/test_support/manual_clock.h"

#include <gtest/gtest.h>

namespace qnb::images {
namespace {

using test::FakeIsoMachine;
using test::kImagex;

std::string Listing(int images) {
    std::string xml = "<WIM><TOTALBYTES>1</TOTALBYTES>";
    for (int i = 1; i <= images; ++i) {
        xml += "<IMAGE INDEX=\"" + std::to_string(i) + "\"><NAME>n" + std::to_string(i) +
               "</NAME><DISPLAYDESCRIPTION>Windows 10 版本" + std::to_string(i) + "</DISPLAYDESCRIPTION></IMAGE>";
    }
    return xml + "</WIM>";
}

// Runs the worker as the window does, moving its clock over the pause.
struct Inspection {
    FakeIsoMachine machine;
    qnb::test::ManualClock clock;
    qnb::test::JobEvents events;
    Snapshot<IsoInspection> snapshot;

    // pauses: the worker finds install.wim and waits before listing it.
    IsoInspection Run(bool pauses = true) {
        Job job("iso worker", clock, &events);
        job.Start([&](JobControl& control) {
            return InspectIso(control, machine.tools, machine.files, "D:\\win10.iso", snapshot);
        });
        if (pauses) {
            EXPECT_TRUE(clock.WaitForSleepers(1));
            clock.Advance(kListDelay);
        }
        EXPECT_TRUE(events.WaitForFinished(1));
        job.Join();
        return snapshot.Get();
    }
};

TEST(IsoInspection, OneImageIsTakenWithoutAChoice) {
    Inspection run;
    run.machine.listing = Listing(1);
    IsoInspection found = run.Run();
    EXPECT_TRUE(found.ready && found.finished);
    EXPECT_EQ(found.labels, std::vector<std::string>{"Windows 10 版本1"});
    IsoDecision decision = Decide(found);
    EXPECT_EQ(decision.step, IsoDecision::kClose);
    EXPECT_EQ(decision.result, kIsoAccepted);
    EXPECT_TRUE(decision.ready);
    EXPECT_EQ(decision.imageIndex, 1);
    EXPECT_EQ(run.machine.Runs(), (std::vector<std::string>{"-p", "-c 1 Z:", "-infile -mount Z: \"D:\\win10.iso\"",
                                                            "/xml /info \"Z:\\sources\\install.wim\"", "-e Z:", "-r"}))
        << "listed while mounted, unmounted before the window is told";
}

TEST(IsoInspection, SeveralImagesAreOfferedWithTheLastOnePreselected) {
    Inspection run;
    run.machine.listing = Listing(4);
    IsoDecision decision = Decide(run.Run());
    EXPECT_EQ(decision.step, IsoDecision::kChoose);
    EXPECT_EQ(decision.imageIndex, 4);
    EXPECT_EQ(run.snapshot.Get().labels.size(), 4u);
}

TEST(IsoInspection, TheWindowHearsReadyBeforeTheListIsRead) {
    Inspection run;
    run.machine.listing = Listing(2);
    Job job("iso worker", run.clock, &run.events);
    job.Start([&](JobControl& control) {
        return InspectIso(control, run.machine.tools, run.machine.files, "D:\\a.iso", run.snapshot);
    });
    ASSERT_TRUE(run.clock.WaitForSleepers(1));
    EXPECT_TRUE(run.events.WaitForProgress(1));
    IsoInspection meanwhile = run.snapshot.Get();
    EXPECT_TRUE(meanwhile.ready);
    EXPECT_FALSE(meanwhile.finished);
    for (const ProcessRequest& r : run.machine.process.Requests()) EXPECT_NE(r.program, kImagex) << "not yet listed";
    run.clock.Advance(kListDelay);
    job.Join();
    EXPECT_TRUE(run.snapshot.Get().finished);
}

TEST(IsoInspection, WithoutInstallWimOrMountTheIsoIsTakenWithoutANumber) {
    Inspection noWim;
    noWim.machine.isoHasInstallWim = false;
    IsoInspection found = noWim.Run(false);
    EXPECT_FALSE(found.ready);
    EXPECT_TRUE(found.finished);
    EXPECT_EQ(noWim.machine.Runs().back(), "-r") << "unmounted all the same";

    Inspection noMount;
    noMount.machine.answers = {{"-p", ""}, {"-i", "this Windows cannot attach ISO files"}};
    IsoDecision decision = Decide(noMount.Run(false));
    EXPECT_EQ(decision.step, IsoDecision::kClose);
    EXPECT_EQ(decision.result, kIsoAccepted);
    EXPECT_FALSE(decision.ready);
    EXPECT_EQ(decision.imageIndex, 0);
    EXPECT_EQ(noMount.machine.Runs(), (std::vector<std::string>{"-p", "-i", "-r"}));
}

TEST(IsoInspection, AListWithoutImagesIsAFailureToRead) {
    for (const char* listing : {"<WIM><TOTALBYTES>0</TOTALBYTES></WIM>", "imagex: not a WIM file", ""}) {
        Inspection run;
        run.machine.listing = listing;
        IsoDecision decision = Decide(run.Run());
        EXPECT_EQ(decision.step, IsoDecision::kFail) << listing;
        EXPECT_EQ(decision.result, kIsoUnreadable);
        EXPECT_TRUE(decision.ready);
    }
    Inspection noImagex;
    noImagex.machine.carried = {kIsocmdEntry};
    EXPECT_EQ(Decide(noImagex.Run()).step, IsoDecision::kFail);
}

TEST(IsoInspection, AStopDuringThePauseStillUnmounts) {
    Inspection run;
    run.machine.listing = Listing(3);
    Job job("iso worker", run.clock, &run.events);
    job.Start([&](JobControl& control) {
        return InspectIso(control, run.machine.tools, run.machine.files, "D:\\a.iso", run.snapshot);
    });
    ASSERT_TRUE(run.clock.WaitForSleepers(1));
    job.RequestStop();
    job.Join();
    EXPECT_EQ(run.machine.Runs().back(), "-r");
    EXPECT_EQ(run.machine.Runs()[run.machine.Runs().size() - 2], "-e Z:");
    EXPECT_TRUE(run.snapshot.Get().labels.empty()) << "nothing listed after the stop";
}

}  // namespace
}  // namespace qnb::images
