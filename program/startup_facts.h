// The start-up facts the diagnostic log opens with: what a developer needs
// to read a user's log, and nothing personal.
#pragma once

#include "app/app_context.h"

#include <string>

namespace qnb {

// One line: Windows version, bitness, edition, PE mode, system drive and
// disk, the number of disks, the workspace and whether the context is ready.
std::string StartupFacts(const AppContext& context, const std::string& programVersion);

}  // namespace qnb
