// Dates of times in a zone, the windows' date text, and record times read
// as the program reads them.
#include "ui/backup/local_date.h"

#include <gtest/gtest.h>

namespace qnb::ui {
namespace {

constexpr int64_t kUtc8 = 8 * 3600;

TEST(LocalDate, CalendarDatesOfTimesInAZone) {
    struct Case {
        int64_t seconds;
        int64_t offset;
        CivilDate date;
    } cases[] = {
        {0, 0, {1970, 1, 1}},
        {0, -5 * 3600, {1969, 12, 31}},
        {1462240800, kUtc8, {2016, 5, 3}},        // 10:00 in UTC+8
        {1462240800, 0, {2016, 5, 3}},            // 02:00 UTC
        {1462240800, -5 * 3600, {2016, 5, 2}},    // 21:00 the day before
        {1456718400, kUtc8, {2016, 2, 29}},       // a leap day
        {951839940, kUtc8, {2000, 2, 29}},        // 2000 is a leap year
        {951839940 + 60, kUtc8, {2000, 3, 1}},
        {1483228799, 0, {2016, 12, 31}},
        {1483228800, 0, {2017, 1, 1}},
        {kLatestRecordTime, 0, {3000, 12, 31}},
        {kLatestRecordTime, 14 * 3600, {3001, 1, 1}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CivilFromUnixSeconds(c.seconds, c.offset), c.date) << c.seconds << " at " << c.offset;
    }
    EXPECT_EQ(FixedOffsetDate(kUtc8)(1462258800), (CivilDate{2016, 5, 3}));
}

TEST(LocalDate, TheDateTextHasTwoDigitMonthsAndDays) {
    EXPECT_EQ(ChineseDate({2016, 5, 3}), "2016年05月03日");
    EXPECT_EQ(ChineseDate({2021, 11, 30}), "2021年11月30日");
}

TEST(LocalDate, RecordTimesReadAsAtoi64AndStayWithinTheYear3000) {
    struct Case {
        const char* text;
        int64_t seconds;
    } cases[] = {
        {"1462240800", 1462240800},
        {"  1462240800", 1462240800},
        {"+7", 7},
        {"1462240800.5", 1462240800},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"-5", 0},
        {"32535215999", kLatestRecordTime},
        {"32535216000", kLatestRecordTime},
        {"99999999999999999999999999999", kLatestRecordTime},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseRecordTime(c.text), c.seconds) << c.text;
}

}  // namespace
}  // namespace qnb::ui
