// What the backup and restore windows do on each tick of timer 1, and the
// texts of their progress page.
#include "ui/backup/package_poll.h"

#include <gtest/gtest.h>

namespace qnb::ui {
namespace {

constexpr char kUrl[] = "http://127.0.0.1/TessalyPE.wim";

TEST(PackagePoll, TimeLeftTexts) {
    struct Case {
        int64_t seconds;
        const char* plain;
        const char* padded;
    } cases[] = {
        {3725, "剩余：1小时2分", "剩余：1小时 2分"},
        {65, "剩余：1分5秒", "剩余： 1分 5秒"},
        {59, "剩余：59秒", "剩余：59秒"},
        {10, "剩余：10秒", "剩余：10秒"},
        {5, "剩余：5秒", "剩余： 5秒"},
        {60, "剩余：1分0秒", "剩余： 1分 0秒"},
        {3600, "剩余：1小时0分", "剩余：1小时 0分"},
        {36000 + 23 * 60, "剩余：10小时23分", "剩余：10小时23分"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PackageTimeLeftText(c.seconds, TimeLeftStyle::kPlain), c.plain) << c.seconds;
        EXPECT_EQ(PackageTimeLeftText(c.seconds, TimeLeftStyle::kPadded), c.padded) << c.seconds;
    }
}

TEST(PackagePoll, SpeedTexts) {
    struct Case {
        int64_t speed;
        const char* text;
    } cases[] = {
        {0, "00KB/S,"},
        {1024, "00KB/S,"},
        {1025, "1.0KB/S,"},
        {524288, "512.0KB/S,"},
        {1048576, "1024.0KB/S,"},
        {1048577, "1.0MB/S,"},
        {3670016, "3.5MB/S,"},
        {1073741824, "1024.0MB/S,"},
        {1073741825, "1.0GB/S,"},
    };
    for (const Case& c : cases) EXPECT_EQ(PackageSpeedText(c.speed), c.text) << c.speed;
}

TEST(PackagePoll, SecondsLeftAddTenToTheIntegerDivision) {
    EXPECT_EQ(PackageSecondsLeft(1000, 0, 100), 20);
    EXPECT_EQ(PackageSecondsLeft(1099, 0, 100), 20) << "integer division";
    EXPECT_EQ(PackageSecondsLeft(3715LL * 1024, 0, 1024), 3725) << "3715 s of download show 1 h 2 min";
    EXPECT_EQ(PackageSecondsLeft(1000, 0, 0), -1) << "no speed, no time";
    EXPECT_EQ(PackageSecondsLeft(1000, 0, -5), -1);
    EXPECT_EQ(PackageSecondsLeft(1000, 4000, 100), 10) << "more done than the total leaves nothing";
}

DownloadFacts Running(int32_t percent, uint64_t total, uint64_t done, int32_t speed) {
    DownloadFacts record;
    record.state = kDownloadRunning;
    record.percent = percent;
    record.totalBytes = total;
    record.doneBytes = done;
    record.speed = speed;
    return record;
}

TEST(PackagePoll, EachStateDecidesTheTick) {
    EXPECT_EQ(PollPackage("", std::nullopt, TimeLeftStyle::kPlain).action, PollStep::kWait)
        << "without the package's address nothing is added";
    EXPECT_EQ(PollPackage(kUrl, std::nullopt, TimeLeftStyle::kPlain).action, PollStep::kAdd);
    DownloadFacts record;
    record.state = kDownloadFailed;
    EXPECT_EQ(PollPackage(kUrl, record, TimeLeftStyle::kPlain).action, PollStep::kFailed);
    record.state = kDownloadComplete;
    EXPECT_EQ(PollPackage(kUrl, record, TimeLeftStyle::kPlain).action, PollStep::kComplete);
    for (int32_t state : {int32_t{kDownloadNew}, int32_t{kDownloadPaused}, 7}) {
        record.state = state;
        EXPECT_EQ(PollPackage(kUrl, record, TimeLeftStyle::kPlain).action, PollStep::kNothing) << state;
    }
}

TEST(PackagePoll, ADownloadShowsItsPercentAndWithSpeedItsTexts) {
    // 55 MiB left at 1 MiB/s: 55 s, and 10 more.
    const DownloadFacts record = Running(42, 65LL * 1048576, 10LL * 1048576, 1048576);
    PollStep plain = PollPackage(kUrl, record, TimeLeftStyle::kPlain);
    EXPECT_EQ(plain.action, PollStep::kProgress);
    EXPECT_EQ(plain.value, 42);
    EXPECT_EQ(plain.valueText, "42%");
    EXPECT_TRUE(plain.labels);
    EXPECT_EQ(plain.info, "正在下载PE，1024.0KB/S,");
    EXPECT_EQ(plain.remain, "剩余：1分5秒");
    EXPECT_EQ(PollPackage(kUrl, record, TimeLeftStyle::kPadded).remain, "剩余： 1分 5秒");

    PollStep still = PollPackage(kUrl, Running(42, 1000, 10, 0), TimeLeftStyle::kPlain);
    EXPECT_EQ(still.valueText, "42%");
    EXPECT_FALSE(still.labels) << "without speed both labels keep their texts";
    PollStep slow = PollPackage(kUrl, Running(1, 1000, 10, 1000), TimeLeftStyle::kPlain);
    EXPECT_TRUE(slow.labels);
    EXPECT_EQ(slow.info, "正在下载PE，00KB/S,");
}

TEST(PackagePoll, PercentagesBelowZeroAreZeroAndTheRestIsTakenModulo101) {
    struct Case {
        int32_t percent;
        int value;
        const char* text;
    } cases[] = {{-3, 0, "0%"}, {0, 0, "0%"}, {100, 100, "100%"}, {101, 0, "0%"}, {150, 49, "49%"}};
    for (const Case& c : cases) {
        PollStep step = PollPackage(kUrl, Running(c.percent, 0, 0, 0), TimeLeftStyle::kPlain);
        EXPECT_EQ(step.value, c.value) << c.percent;
        EXPECT_EQ(step.valueText, c.text) << c.percent;
    }
}

}  // namespace
}  // namespace qnb::ui
