#include "ui/countdowns.h"

#include <gtest/gtest.h>

namespace qnb::ui {
namespace {

TEST(WaringCountdown, FiveFourThreeTwoOneThenUsable) {
    WaringCountdown countdown;
    EXPECT_EQ(WaringCountdown::ButtonText(countdown.Remaining()), "我知道了(5)");
    std::vector<std::string> texts;
    for (int i = 0; i < 6; ++i) texts.push_back(WaringCountdown::ButtonText(countdown.Tick()));
    EXPECT_EQ(texts, (std::vector<std::string>{"我知道了(4)", "我知道了(3)", "我知道了(2)", "我知道了(1)", "我知道了",
                                               "我知道了"}));
    EXPECT_EQ(countdown.Remaining(), 0) << "it stays at 0";
}

TEST(RebootCountdown, QuarterSecondTicks) {
    RebootCountdown countdown;
    RebootCountdown::Step step = countdown.Tick();
    EXPECT_EQ(step.text, "29秒后重启") << "29 right after the first tick";
    EXPECT_EQ(step.value, 1);
    for (int i = 0; i < 4; ++i) step = countdown.Tick();
    EXPECT_EQ(step.text, "28秒后重启");
    EXPECT_EQ(step.value, 5);
    EXPECT_FALSE(step.done);
    while (countdown.Counter() > 0) step = countdown.Tick();
    EXPECT_EQ(step.text, "0秒后重启");
    EXPECT_EQ(step.value, 120) << "the full circle after 120 ticks";
    EXPECT_FALSE(step.done);
    step = countdown.Tick();
    EXPECT_TRUE(step.done) << "the 121st tick restarts";
    EXPECT_EQ(step.text, "0秒后重启");
}

}  // namespace
}  // namespace qnb::ui
