// The Windows facts of the usage reports, read afresh for each report that carries them.
#pragma once

#include "net/usage_report.h"

#include <optional>

namespace qnb::net::win32 {

// GetVersionEx with the extended structure, the native processor
// architecture and, from Windows Vista on, GetProductInfo. Nothing when
// GetVersionEx fails.
std::optional<WindowsReportFacts> ReadReportFacts();

}  // namespace qnb::net::win32
