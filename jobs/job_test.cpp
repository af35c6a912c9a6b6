#include "jobs/job.h"

#include "jobs/test_support/job_events.h"
#include "jobs/test_support/manual_clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace qnb {
namespace {

using namespace std::chrono_literals;

TEST(StopToken, CallbacksRunOnStopOrAtOnceWhenAlreadyStopped) {
    StopSource source;
    int calls = 0;
    {
        StopCallback early(source.Token(), [&] { ++calls; });
        EXPECT_EQ(calls, 0);
        source.RequestStop();
        EXPECT_EQ(calls, 1);
        source.RequestStop();
        EXPECT_EQ(calls, 1) << "stop is requested once";
    }
    StopCallback late(source.Token(), [&] { ++calls; });
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(StopToken().StopRequested()) << "a default token never stops";
}

TEST(StopToken, ACallbackThatHasGoneIsNotCalled) {
    StopSource source;
    int calls = 0;
    { StopCallback gone(source.Token(), [&] { ++calls; }); }
    source.RequestStop();
    EXPECT_EQ(calls, 0);
}

TEST(Job, EndsWithTheWorksOutcomeAndTellsTheListener) {
    struct Case {
        Status outcome;
        bool ok;
        uint32_t code;
    };
    const Case cases[] = {{Status::Ok(), true, 0}, {Failure{"copy file", "D:\\a", 112}, false, 112}};
    for (const Case& c : cases) {
        test::JobEvents listener;
        Job job("test job", SystemClock(), &listener);
        ASSERT_TRUE(job.Start([&](JobControl& control) {
            control.NotifyProgress();
            return c.outcome;
        }));
        job.Join();
        ASSERT_TRUE(job.Finished());
        ASSERT_TRUE(job.Outcome().has_value());
        EXPECT_EQ(job.Outcome()->ok(), c.ok);
        if (!c.ok) EXPECT_EQ(job.Outcome()->failure().code, c.code);
        EXPECT_EQ(listener.progress(), 1);
        ASSERT_EQ(listener.outcomes().size(), 1u);
        EXPECT_EQ(listener.outcomes()[0].ok(), c.ok);
    }
}

TEST(Job, StopEndsAWaitOnTheSystemClockAtOnce) {
    Job job("sleeper");
    std::atomic<bool> woke{false};
    ASSERT_TRUE(job.Start([&](JobControl& control) {
        woke = !control.SleepFor(std::chrono::hours(24));
        return Status::Ok();
    }));
    job.RequestStop();
    job.Join();  // hangs, and the test times out, when the stop does not reach the wait
    EXPECT_TRUE(woke);
}

TEST(Job, StartsOnceAndTheDestructorStopsAndJoins) {
    std::atomic<int> runs{0};
    {
        Job job("twice");
        ASSERT_TRUE(job.Start([&](JobControl& control) {
            ++runs;
            while (control.SleepFor(std::chrono::hours(1))) {
            }
            return Status::Ok();
        }));
        EXPECT_FALSE(job.Start([&](JobControl&) { return ++runs, Status::Ok(); }));
    }
    EXPECT_EQ(runs, 1);
}

TEST(Job, AnExceptionBecomesAFailureNamedAfterTheJob) {
    Job job("thrower");
    ASSERT_TRUE(job.Start([](JobControl&) -> Status { throw std::runtime_error("boom"); }));
    job.Join();
    ASSERT_TRUE(job.Outcome().has_value());
    ASSERT_FALSE(job.Outcome()->ok());
    EXPECT_EQ(job.Outcome()->failure().where, "thrower");
    EXPECT_NE(job.Outcome()->failure().what.find("boom"), std::string::npos);
}

TEST(ManualClock, SleepersWakeOnlyWhenTheTestMovesTheTime) {
    test::ManualClock clock;
    std::atomic<int> rounds{0};
    Job job("ticker", clock);
    ASSERT_TRUE(job.Start([&](JobControl& control) {
        for (;;) {
            ++rounds;
            if (!control.SleepFor(1000ms)) return Status::Ok();
        }
    }));
    ASSERT_TRUE(clock.WaitForSleepers(1));
    EXPECT_EQ(rounds, 1);
    clock.Advance(999ms);
    ASSERT_TRUE(clock.WaitForSleepers(1));
    EXPECT_EQ(rounds, 1) << "the deadline has not come";
    ASSERT_TRUE(clock.Step(1ms));
    EXPECT_EQ(rounds, 2);
    ASSERT_TRUE(clock.Step(1000ms));
    EXPECT_EQ(rounds, 3);
    job.RequestStop();
    job.Join();
    EXPECT_EQ(rounds, 3);
    EXPECT_EQ(clock.Now(), Clock::TimePoint(2000));
}

TEST(Snapshot, UpdatesInPlaceAndHandsOutCopies) {
    Snapshot<std::vector<int>> snapshot;
    snapshot.Publish({1, 2});
    snapshot.Update([](std::vector<int>& v) { v.push_back(3); });
    std::vector<int> copy = snapshot.Get();
    copy.clear();
    EXPECT_EQ(snapshot.Get(), (std::vector<int>{1, 2, 3}));
}

}  // namespace
}  // namespace qnb
