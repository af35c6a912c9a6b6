#include "ui/backup/local_date_win32.h"

#include <windows.h>

namespace qnb::ui {

namespace {
constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kUnixEpochTicks = 116444736000000000;  // 1970-01-01 in FILETIME ticks since 1601
}  // namespace

CivilDate SystemLocalDate(int64_t unixSeconds) {
    const uint64_t ticks = static_cast<uint64_t>(unixSeconds * kTicksPerSecond + kUnixEpochTicks);
    FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME universal;
    SYSTEMTIME local;
    if (!FileTimeToSystemTime(&utc, &universal) || !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
        return CivilFromUnixSeconds(unixSeconds);
    }
    return CivilDate{local.wYear, local.wMonth, local.wDay};
}

int64_t UnixNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const int64_t ticks = static_cast<int64_t>((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    return (ticks - kUnixEpochTicks) / kTicksPerSecond;
}

}  // namespace qnb::ui
