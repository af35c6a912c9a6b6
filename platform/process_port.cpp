#include "platform/process_port.h"

namespace qnb {

std::string CommandLineOf(const ProcessRequest& request) {
    // A Windows path cannot hold '"', so the quotes always pair.
    std::string line = "\"" + request.program + "\"";
    if (!request.arguments.empty()) line += " " + request.arguments;
    return line;
}

bool IsFullPath(const std::string& program) {
    bool drive = program.size() >= 3 && program[1] == ':' && (program[2] == '\\' || program[2] == '/');
    bool share = program.size() >= 3 && program[0] == '\\' && program[1] == '\\';
    return drive || share;
}

}  // namespace qnb
