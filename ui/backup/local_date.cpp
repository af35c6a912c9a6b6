#include "ui/backup/local_date.h"

#include <cstdio>

namespace qnb::ui {

CivilDate CivilFromUnixSeconds(int64_t seconds, int64_t offsetSeconds) {
    int64_t shifted = seconds + offsetSeconds;
    int64_t days = shifted / 86400 - (shifted % 86400 < 0 ? 1 : 0);
    // Days to a civil date (the era-based algorithm: 400-year eras of 146097 days, from 0000-03-01).
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;  // from March
    CivilDate date;
    date.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    date.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0));
    return date;
}

LocalDateOf FixedOffsetDate(int64_t offsetSeconds) {
    return [offsetSeconds](int64_t seconds) { return CivilFromUnixSeconds(seconds, offsetSeconds); };
}

std::string ChineseDate(const CivilDate& date) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d年%02d月%02d日", date.year, date.month, date.day);
    return text;
}

int64_t ParseRecordTime(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        // Past the latest time there is nothing more to read.
        if (value <= kLatestRecordTime) value = value * 10 + (text[i] - '0');
    }
    if (negative) return 0;
    return value > kLatestRecordTime ? kLatestRecordTime : value;
}

}  // namespace qnb::ui
