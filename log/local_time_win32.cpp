#include "log/local_time_win32.h"

#include <windows.h>

#include <cstdio>

namespace qnb::win32 {

std::string LocalTimeStamp() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
    return stamp;
}

}  // namespace qnb::win32
