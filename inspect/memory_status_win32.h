// The extended memory status (GlobalMemoryStatusEx) for the hardware page.
#pragma once

#include "inspect/hardware_check.h"

#include <optional>

namespace qnb::inspect::win32 {

// Total physical memory and the memory load; nothing when Windows refuses.
std::optional<MemoryStatus> ReadMemoryStatus();

}  // namespace qnb::inspect::win32
