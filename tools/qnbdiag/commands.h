// The commands of qnbdiag; each takes the arguments after its name and
// returns the process exit code.
#pragma once

#include <string>
#include <vector>

namespace qnb::diag {

using Arguments = std::vector<std::string>;

int RunContext(const Arguments& args);
int RunPayload(const Arguments& args);
// http-get, catalogue, getpe, update, report, mac, startup-services; -1 for another command.
int RunNet(const std::string& command, const Arguments& args);
int RunDownload(const Arguments& args);
int RunUi(const Arguments& args);
int RunBackupFiles(const Arguments& args);
int RunWimInfo(const Arguments& args);
// The image choice window for local ISO files (Windows builds).
int RunIsoChoose(const Arguments& args);
// plan, install-pe, undo-pe: the boot environment installer.
int RunPlan(const Arguments& args);
int RunInstallPe(const Arguments& args);
int RunUndoPe(const Arguments& args);

}  // namespace qnb::diag
