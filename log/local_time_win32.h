// The time at the head of each log line on Windows.
#pragma once

#include <string>

namespace qnb::win32 {

// "2026-12-10 05:20:41.123", the machine's local time.
std::string LocalTimeStamp();

}  // namespace qnb::win32
