// qnbdiag: runs pieces of the real program from the command line, for
// developers, tests, benchmarks and the demo.
#include "tools/qnbdiag/commands.h"
#include "tools/qnbdiag/json_output.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include "platform/text.h"
#include "platform/win32/handles.h"

#include <windows.h>
#include <shellapi.h>
#endif

namespace {

const char kUsage[] =
    "usage: qnbdiag COMMAND [ARGS]\n"
    "  context                     initialise the application context and print it as JSON\n"
    "  payload list [ARCHIVE]      list the payload archive (the program's own, or a 7z file)\n"
    "  payload extract NAME TARGET [ARCHIVE]\n"
    "                              write one entry of the payload archive to a file\n"
    "  download URL FOLDER [--workspace FOLDER] [--timeout SECONDS] [--handover] [--direct]\n"
    "                              download through the download manager and the payload's engine\n"
    "  backup-files [--desktop] [--qq] [--pictures] [--music] [--documents] [--videos]\n"
    "               [--folder PATH]... [--local-image PATH] [--lock PATH]\n"
    "                              the reinstall's user-file backup into the workspace folder,\n"
    "                              each message to the wizard as a JSON line\n"
    "  ui COMMAND ...              drive the running programs' windows (qnbdiag ui for the commands)\n"
    "  wim-info FILE               a WIM's header and images, as the image choice reads them\n"
    "  iso-choose ISO... [--store] the image choice window for each ISO with the payload's tools;\n"
    "                              --store records each choice in SETTING.JSON as the catalogue page does\n"
    "  plan MODE [--package FILE]  what the installer would do (MODE: reinstall, restore, backup)\n"
    "  install-pe MODE --package FILE [--answer yes|no|countdown-restart|countdown-cancel]\n"
    "             [--backup-errors N] [--no-reboot-flag] [--package-downloading] [--payload ARCHIVE|none]\n"
    "                              run the installer, its owner's news as JSON lines\n"
    "  undo-pe                     take a prepared start back\n"
    "  http-get URL                print the body the HTTP client delivered\n"
    "  catalogue | getpe | update  one request of the service API, parsed, as JSON\n"
    "  report KIND                 send one usage report (1-7)\n"
    "  mac                         the machine's hardware address and its sources\n"
    "  startup-services SECONDS    the program's start-up report and service threads, watched\n"
    "The machine is the one described by QNB_SIM_MACHINE when it is set; the service\n"
    "hosts are QNB_API_HOST/PORT and QNB_REPORT_HOST/PORT when they are set.\n";

qnb::diag::Arguments CommandLine(int argc, char** argv) {
    qnb::diag::Arguments args;
#ifdef _WIN32
    // The wide command line, so that Chinese paths arrive intact.
    (void)argc;
    (void)argv;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    qnb::win32::UniqueLocalMemory argvMemory(wide);
    for (int i = 1; wide && i < count; ++i) args.push_back(qnb::text::Narrow(wide[i]));
#else
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
#endif
    return args;
}

}  // namespace

int main(int argc, char** argv) {
    qnb::diag::PrepareStandardOutput();
    qnb::diag::Arguments args = CommandLine(argc, argv);
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string command = args.front();
    args.erase(args.begin());
    if (command == "context") return qnb::diag::RunContext(args);
    if (command == "payload") return qnb::diag::RunPayload(args);
    if (command == "ui") return qnb::diag::RunUi(args);
    if (command == "download") return qnb::diag::RunDownload(args);
    if (command == "backup-files") return qnb::diag::RunBackupFiles(args);
    if (command == "wim-info") return qnb::diag::RunWimInfo(args);
    if (command == "iso-choose") return qnb::diag::RunIsoChoose(args);
    if (command == "plan") return qnb::diag::RunPlan(args);
    if (command == "install-pe") return qnb::diag::RunInstallPe(args);
    if (command == "undo-pe") return qnb::diag::RunUndoPe(args);
    if (int rc = qnb::diag::RunNet(command, args); rc >= 0) return rc;
    std::fputs(kUsage, stderr);
    return 2;
}
