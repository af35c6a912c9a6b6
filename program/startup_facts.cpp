#include "program/startup_facts.h"

#include <cstdio>

namespace qnb {

std::string StartupFacts(const AppContext& context, const std::string& programVersion) {
    char line[512];
    const char letter = context.SystemLetter() >= 'A' && context.SystemLetter() <= 'Z' ? context.SystemLetter() : '?';
    std::snprintf(line, sizeof line,
                  "program %s; Windows %d.%d %s, %s, edition %u; PE mode %s; system %c: on disk %d partition %d%s; "
                  "%zu disks; workspace %s; ready %s",
                  programVersion.c_str(), context.Major(), context.Minor(), context.OsName().c_str(),
                  context.Is64() ? "64-bit" : "32-bit", context.ProductType(), context.IsPeMode() ? "yes" : "no",
                  letter, context.SystemDisk(), context.SystemPartition(), context.SystemDiskIsGpt() ? " (GPT)" : "",
                  context.Disks().size(), context.WorkspacePath().empty() ? "none" : context.WorkspacePath().c_str(),
                  context.IsReady() ? "yes" : "no");
    return line;
}

}  // namespace qnb
