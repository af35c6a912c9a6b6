// PeInstaller: the last step before every restart the program asks for. It
// copies the preinstallation package to boot.wim beside boot.sdi in
// "\QNBPE\boot\" on the system drive, makes a boot entry that starts it from
// a RAM disk the default for the next start (bcdedit, or boot.ini on
// Windows XP), records what it changed, sends the flow's usage report and
// ends as its mode says. Nothing touches the boot configuration until both
// files are verifiably in place, and a boot entry that could not be made
// whole is taken out again.
#pragma once

#include "app/app_context.h"
#include "download/download_manager.h"
#include "installer/installer_owner.h"
#include "installer/payload_files.h"
#include "installer/pe_install_mode.h"
#include "installer/prepared_start.h"
#include "jobs/job.h"
#include "log/log.h"
#include "platform/file_system.h"
#include "platform/process_port.h"
#include "platform/system_port.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qnb::installer {

struct PeInstallerPorts {
    AppContext* context = nullptr;       // the machine's facts, the package URL, SETTING.JSON
    FileSystem* files = nullptr;
    SystemPort* system = nullptr;        // the Windows folder: System32's tools, Boot\'s boot.sdi
    ProcessPort* process = nullptr;      // the logged port: every start with its exit code
    CDownloadManager* downloads = nullptr;  // the program's downloads: the package's record
    PayloadOpener openPayload;
    std::function<void(net::ReportKind)> report;  // the program's usage reporter
    std::function<std::string()> now;    // local time for the record, "2026-12-10 05:20:41"
    Log* log = nullptr;
};

// A file the installer writes, and where its bytes come from.
struct PlannedFile {
    std::string path;
    std::string source;  // "D:\...\TessalyPE.wim", "payload xp/boot/boot.sdi", "bcdedit /export", ...
};

// A program the installer starts.
struct PlannedRun {
    int row = 0;  // the bcdedit row; 0 for another program
    std::string program;
    std::string arguments;
    bool checked = false;  // its exit code decides whether the entry stays
};

// What Run would do on this machine now, worked out without changing anything.
struct InstallPlan {
    PeInstallMode mode = PeInstallMode::kReinstall;
    char letter = 0;
    bool xp = false;
    bool gpt = false;
    std::string packageUrl;
    std::string packagePath;  // the completed download; "" when there is none
    int32_t packageState = -1;  // the download record's state; -1 when there is no record
    bool packageReady = false;
    std::string folder;       // "C:\QNBPE\boot\"
    std::string bootWim;
    std::string bootSdi;
    std::string bootSdiSource;  // payload entry or the system's copy; "" when there is none
    std::vector<PlannedFile> writes;
    std::vector<PlannedRun> bcdedit;  // Vista and later
    // Windows XP: boot.ini, its backup and the new text (ANSI bytes).
    std::string bootIni;
    std::string bootIniBackup;
    bool restoresBootIni = false;  // a missing boot.ini comes back from the backup first
    std::optional<std::string> newBootIni;
    std::vector<PlannedFile> extracts;  // the four files that get attributes 7
    std::string record;        // the prepared-start record in the workspace
    std::optional<int> option;  // what Option is set to
    PlannedRun restart;        // shutdown.exe, when the user agrees
    // Why Run would stop before changing the boot configuration; "" when it would not.
    std::string refusal;
};

class PeInstaller {
public:
    explicit PeInstaller(PeInstallerPorts ports);

    InstallPlan Plan(PeInstallMode mode);

    // The installer's work, on a job's thread. Ok when the mode's ending was
    // reached; the failure otherwise (the owner was sent WM_FATAL_ERROR).
    Status Run(PeInstallMode mode, PeInstallerOwner& owner, JobControl& control);

    // The prepared start recorded in the workspace folder, if any.
    std::optional<PreparedStart> Prepared();
    // Takes a prepared start back: the entry deleted and the running Windows
    // the default again (or boot.ini as it was before the first run), Option
    // -1, the record removed. False when nothing was prepared; a failure
    // keeps the record so that it can be tried again.
    Result<bool> Undo();

    // Full paths of the system tools: the Windows folder's System32, never the search order.
    std::string BcdeditPath();
    std::string ShutdownPath();
    // "shutdown.exe -r -t 0" by full path; its outcome goes to the log. The
    // backup window's finishing step asks for the restart itself.
    void Restart();

private:
    InstallPlan PlanWith(PeInstallMode mode, PayloadFiles* payload);
    std::string RecordPath();
    std::string ToolPath(const char* name);
    ProcessRequest Request(const std::string& program, const std::string& arguments);
    Result<ProcessOutcome> RunTool(const std::string& program, const std::string& arguments);
    bool RunChecked(const PlannedRun& run);
    Status CopyPackage(const InstallPlan& plan, JobControl& control);
    Status PlaceBootSdi(const InstallPlan& plan, PayloadFiles* payload);
    Status RunBcdeditSequence(const InstallPlan& plan);
    Status RewriteBootIniFile(const InstallPlan& plan, PayloadFiles* payload);
    Status ExtractXpFiles(const InstallPlan& plan, PayloadFiles* payload);
    bool WriteRecord(PeInstallMode mode, BootMethod method);
    // The failure, after the copy-failure text and with the boot entry taken
    // back, when SETTING.JSON on disk does not hold what was set.
    Status HandoffSaved(const InstallPlan& plan, PeInstallerOwner& owner);
    Status Ending(const InstallPlan& plan, PeInstallerOwner& owner, JobControl& control);
    Status Fail(const InstallPlan& plan, PeInstallerOwner& owner, const char* text, Failure failure);

    PeInstallerPorts ports_;
};

}  // namespace qnb::installer
