#include "inspect/memory_status_win32.h"

#include <windows.h>

namespace qnb::inspect::win32 {

std::optional<MemoryStatus> ReadMemoryStatus() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return std::nullopt;
    return MemoryStatus{status.ullTotalPhys, status.dwMemoryLoad};
}

}  // namespace qnb::inspect::win32
