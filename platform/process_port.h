// Starting other programs: system tools by full path, with their exit code
// and, when asked, their output.
#pragma once

#include "platform/failure.h"

#include <cstdint>
#include <string>

namespace qnb {

struct ProcessRequest {
    std::string program;        // full path, UTF-8; never looked up through the search order
    std::string arguments;      // what follows the quoted program on the command line
    std::string currentFolder;  // "" keeps the caller's
    bool hidden = true;         // SW_HIDE through STARTUPINFO
    bool newConsole = false;    // CREATE_NEW_CONSOLE
    bool wait = true;           // wait for the end and give the exit code
    bool captureOutput = false; // stdout+stderr through one pipe, read until the child closes it (implies wait)
    bool disableWow64Redirection = false;  // a 32-bit process on 64-bit Windows starts System32's tool, not SysWOW64's
};

struct ProcessOutcome {
    uint32_t exitCode = 0;  // 0 when the run was not waited for
    std::string output;     // the child's bytes as written (captureOutput only)
};

class ProcessPort {
public:
    virtual ~ProcessPort() = default;
    // Starts the program; the failure is the start's (a missing program,
    // one not given by full path, a refused folder), never the program's
    // own exit code.
    virtual Result<ProcessOutcome> Run(const ProcessRequest& request) = 0;
};

// "\"program\" arguments": the command line a request gives the program,
// and the form the log shows.
std::string CommandLineOf(const ProcessRequest& request);

// "X:\..." or "\\server\...": a program path that names one file. Any
// other is refused (ERROR_BAD_PATHNAME), since Windows would complete it
// from the current folder or, under Wine, the search order.
bool IsFullPath(const std::string& program);

}  // namespace qnb
