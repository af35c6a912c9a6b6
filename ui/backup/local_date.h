// Dates of the backup and restore windows: the calendar date of a time in
// seconds since 1970 (UTC), for a zone given as a conversion, the way the
// windows print it ("2016年05月03日"), and the record files' times read as
// the program reads them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qnb::ui {

struct CivilDate {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    bool operator==(const CivilDate& o) const { return year == o.year && month == o.month && day == o.day; }
};

// The proleptic Gregorian date of seconds since 1970-01-01 00:00 UTC,
// shifted by offsetSeconds (28800 for UTC+8).
CivilDate CivilFromUnixSeconds(int64_t seconds, int64_t offsetSeconds = 0);

// The local date of a time: the machine's zone on Windows
// (local_date_win32.h), a fixed offset in tests.
using LocalDateOf = std::function<CivilDate(int64_t unixSeconds)>;
LocalDateOf FixedOffsetDate(int64_t offsetSeconds);

// "%Y年%m月%d日": 2016年05月03日.
std::string ChineseDate(const CivilDate& date);

// The latest time a record may name: 3000-12-31 23:59:59 UTC. Every time
// from 0 to it has a date in every zone Windows knows.
constexpr int64_t kLatestRecordTime = 32535215999;

// A record's "time" text as seconds since 1970: leading blanks, an optional
// sign and the digits that follow, as _atoi64 reads them (anything else
// reads as 0); then kept within 0 .. kLatestRecordTime, so that a hostile
// value still has a date.
int64_t ParseRecordTime(std::string_view text);

}  // namespace qnb::ui
