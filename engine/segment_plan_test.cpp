#include "engine/segment_plan.h"

#include <gtest/gtest.h>

namespace qnb::engine {
namespace {

TEST(SegmentPlan, ConnectionsSplitTheLargestRunningRangeIntoHalves) {
    SegmentPlan plan(1000, {{0, 1000}}, 100);
    int a = *plan.Take();
    int b = *plan.Take();
    int c = *plan.Take();
    int d = *plan.Take();
    EXPECT_EQ(plan.Current(a), (ByteRange{0, 250}));
    EXPECT_EQ(plan.Current(b), (ByteRange{500, 750}));
    EXPECT_EQ(plan.Current(c), (ByteRange{250, 500}));
    EXPECT_EQ(plan.Current(d), (ByteRange{750, 1000}));
    // 250 bytes left in each: still two halves of at least 100 bytes.
    EXPECT_TRUE(plan.Take().has_value());
}

TEST(SegmentPlan, UnassignedBytesAreHandedOutInPiecesOfAtMostTheGivenSize) {
    SegmentPlan plan(1000, {{0, 600}, {700, 1000}}, 10);
    EXPECT_EQ(plan.Current(*plan.Take(250)), (ByteRange{0, 250}));
    EXPECT_EQ(plan.Current(*plan.Take(250)), (ByteRange{250, 500}));
    EXPECT_EQ(plan.Current(*plan.Take(250)), (ByteRange{500, 600}));
    EXPECT_EQ(plan.Current(*plan.Take(250)), (ByteRange{700, 950}));
    EXPECT_EQ(plan.Current(*plan.Take(250)), (ByteRange{950, 1000}));
}

TEST(SegmentPlan, NoSplitBelowTwiceTheMinimumPiece) {
    SegmentPlan plan(199, {{0, 199}}, 100);
    ASSERT_TRUE(plan.Take().has_value());
    EXPECT_FALSE(plan.Take().has_value());
}

TEST(SegmentPlan, AdvanceStopsAtAnAssignmentThatWasCutWhileReading) {
    SegmentPlan plan(1000, {{0, 1000}}, 10);
    int a = *plan.Take();
    EXPECT_EQ(plan.Advance(a, 100), 100u);
    int b = *plan.Take();  // takes [550, 1000)
    EXPECT_EQ(plan.Current(b).begin, 550u);
    // a had asked for everything; what arrives past 550 is not its to keep.
    EXPECT_EQ(plan.Advance(a, 500), 450u);
    EXPECT_EQ(plan.Current(a).size(), 0u);
    EXPECT_EQ(plan.Advance(a, 10), 0u);
    EXPECT_EQ(plan.Done(), 550u);
    EXPECT_EQ(plan.Advance(b, 450), 450u);
    EXPECT_TRUE(plan.Complete());
    EXPECT_TRUE(plan.Remaining().empty());
}

TEST(SegmentPlan, ReleasedRestGoesToTheNextConnectionAndIntoTheResumeRecord) {
    SegmentPlan plan(1000, {{0, 1000}}, 10);
    int a = *plan.Take();
    int b = *plan.Take();  // [500, 1000)
    plan.Advance(a, 200);
    plan.Advance(b, 100);
    plan.Release(b);  // its connection broke
    EXPECT_EQ(plan.Remaining(), (std::vector<ByteRange>{{200, 500}, {600, 1000}}));
    int c = *plan.Take();
    EXPECT_EQ(plan.Current(c), (ByteRange{600, 1000}));
    EXPECT_EQ(plan.Done(), 300u);
}

TEST(SegmentPlan, ResumesFromRangesAndTakesAtTheProbedOffset) {
    SegmentPlan plan(1000, {{900, 1000}, {100, 300}, {250, 400}, {2000, 3000}}, 10);
    EXPECT_EQ(plan.Remaining(), (std::vector<ByteRange>{{100, 400}, {900, 1000}}));
    EXPECT_EQ(plan.Done(), 600u);
    EXPECT_FALSE(plan.TakeAt(150).has_value());
    int a = *plan.TakeAt(900);
    EXPECT_EQ(plan.Current(a), (ByteRange{900, 1000}));
    int b = *plan.Take();
    EXPECT_EQ(plan.Current(b), (ByteRange{100, 400}));
}

}  // namespace
}  // namespace qnb::engine
