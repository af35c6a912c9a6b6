#include "ui/wizard/progress_formats.h"

#include "ui/wizard/system_types.h"

#include <gtest/gtest.h>

namespace qnb::ui {
namespace {

TEST(ProgressFormats, Speeds) {
    const std::pair<int32_t, const char*> cases[] = {
        {0, "0B/S"},          {-5, "-5B/S"},          {1024, "1024B/S"},       {1025, "1.0KB/S"},
        {1536, "1.5KB/S"},    {1048576, "1024.0KB/S"}, {1048577, "1.0MB/S"},   {5767168, "5.5MB/S"},
        {2147483647, "2048.0MB/S"},
    };
    for (const auto& [speed, text] : cases) EXPECT_EQ(FormatSpeed(speed), text) << speed;
}

TEST(ProgressFormats, SizesAndTheirPair) {
    const std::pair<uint64_t, const char*> done[] = {
        {0, "0B"}, {1024, "1024B"}, {1025, "1.0KB"}, {1048576, "1024.0KB"}, {1048577, "1.0MB"},
        {1073741824, "1024.0MB"}, {1073741825, "1.0GB"}, {3758096384, "3.5GB"},
    };
    for (const auto& [bytes, text] : done) EXPECT_EQ(FormatDoneSize(bytes), text) << bytes;
    const std::pair<uint64_t, const char*> total[] = {
        {0, "0.0MB"}, {1024, "0.0MB"}, {1048576, "1.0MB"}, {1073741824, "1024.0MB"}, {1073741825, "1.0GB"},
        {3758096384, "3.5GB"},
    };
    for (const auto& [bytes, text] : total) EXPECT_EQ(FormatTotalSize(bytes), text) << bytes;
    EXPECT_EQ(FormatSizePair(1073741824, 3758096384), "1024.0MB/3.5GB") << "3.5 GiB with 1 GiB done";
}

TEST(ProgressFormats, SingleNotDoublePrecision) {
    // 1127428920 bytes are 1.0500000045 GiB; as a float the count is 1127428864, just under 1.05.
    EXPECT_EQ(FormatTotalSize(1127428920), "1.0GB");
    EXPECT_EQ(FormatDoneSize(1127428920), "1.0GB");
    EXPECT_EQ(CatalogueSizeText(1127428920), "1.1GB") << "the catalogue's sizes are divided in double precision";
}

TEST(ProgressFormats, TimeLeft) {
    const std::pair<int32_t, const char*> cases[] = {
        {14400, "剩余：计算中..."}, {14399, "剩余：3小时59分59秒"}, {3661, "剩余：1小时1分1秒"},
        {3600, "剩余：1小时0分0秒"}, {3599, "剩余：59分59秒"},        {60, "剩余：1分0秒"},
        {59, "剩余：59秒"},           {1, "剩余：1秒"},
    };
    for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatTimeLeft(seconds), text) << seconds;
}

TEST(ProgressFormats, RetryTextAndItsDotsCountOneTwoThreeNone) {
    RetryDots dots;
    std::vector<std::string> seen;
    for (int i = 0; i < 6; ++i) seen.push_back(RetryText(2, dots.Next()));
    EXPECT_EQ(seen, (std::vector<std::string>{"网络异常，正在进行第2次重试.", "网络异常，正在进行第2次重试..",
                                              "网络异常，正在进行第2次重试...", "网络异常，正在进行第2次重试",
                                              "网络异常，正在进行第2次重试.", "网络异常，正在进行第2次重试.."}));
    RetryDots another;
    EXPECT_EQ(another.Next(), 1) << "a new wizard starts again at one dot";
}

TEST(CatalogueTexts, SizesOfRows) {
    const std::pair<int64_t, const char*> cases[] = {
        {1073741824, "1024.0MB"}, {1073741825, "1.0GB"}, {1024, ""},        {1536, "1.5KB"},
        {0, ""},                  {-4096, ""},           {1048577, "1.0MB"}, {4831838208, "4.5GB"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(CatalogueSizeText(bytes), text) << bytes;
}

TEST(CatalogueTexts, PicturesAndLabelsByType) {
    EXPECT_STREQ(TipPictureOf(4), "skin/win7_64.jpg");
    EXPECT_STREQ(InstallLabelOf(64), "已选择：Windows 10 64位");
    EXPECT_STREQ(InstallLabelOf(1), "已选择：Windows XP");
    for (int32_t other : {0, 3, 128, -1}) {
        EXPECT_STREQ(TipPictureOf(other), "skin/default.jpg") << other;
        EXPECT_STREQ(InstallLabelOf(other), "未选择系统") << other;
    }
}

TEST(CatalogueTexts, RecommendedForThisPc) {
    CatalogueEntry entry;
    entry.brecommend = true;
    entry.imagetype = 4;
    EXPECT_TRUE(IsRecommended(entry, 4));
    EXPECT_FALSE(IsRecommended(entry, 64));
    EXPECT_FALSE(IsRecommended(entry, 0)) << "a PC of type 0 gets no recommendation";
    entry.brecommend = false;
    EXPECT_FALSE(IsRecommended(entry, 4));
}

TEST(CatalogueTexts, DatesAreDaysOfTheLocalCalendar) {
    EXPECT_EQ(CatalogueDateText(1554336000 + 12 * 3600), "2019-04-04");
    EXPECT_EQ(CatalogueDateText(0 + 12 * 3600), "1970-01-01");
}

}  // namespace
}  // namespace qnb::ui
