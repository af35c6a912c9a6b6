// Dates and the clock on Windows: the machine's own zone and its rules for
// that date (SystemTimeToTzSpecificLocalTime), and seconds since 1970.
#pragma once

#include "ui/backup/local_date.h"

#include <cstdint>

namespace qnb::ui {

// The local date of seconds since 1970 (UTC) in the machine's zone; the
// UTC date when the zone's rules cannot be applied.
CivilDate SystemLocalDate(int64_t unixSeconds);
// The current time in seconds since 1970 (UTC).
int64_t UnixNow();

}  // namespace qnb::ui
