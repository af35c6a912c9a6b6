// A 32-bit program for the process adapter's test of WOW64 redirection:
// starts PROGRAM (a System32 path) twice through the adapter, with
// redirection turned off and left on, and writes both outputs, "|" between.
//   qnb_wow64_runner PROGRAM ARGUMENTS
#include "platform/text.h"
#include "platform/win32/process_win32.h"

#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    qnb::ProcessRequest request;
    request.program = qnb::text::Narrow(argv[1]);
    request.arguments = qnb::text::Narrow(argv[2]);
    request.captureOutput = true;
    std::string report;
    for (bool off : {true, false}) {
        request.disableWow64Redirection = off;
        qnb::Result<qnb::ProcessOutcome> outcome = qnb::win32::Win32Process().Run(request);
        report += outcome ? outcome->output : outcome.failure().Describe();
        if (off) report += "|";
    }
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), report.data(), static_cast<DWORD>(report.size()), &written, nullptr);
    return 0;
}
