#include "installer/pe_installer.h"

#include "installer/bcdedit_rows.h"
#include "installer/boot_ini.h"
#include "platform/error_codes.h"
#include "platform/folder_tree.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace qnb::installer {

namespace {

constexpr char kArea[] = "installer";
constexpr uint32_t kCancelled = 1223;  // ERROR_CANCELLED
constexpr uint32_t kXpAttributes = kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem;  // 7

// The owner's controls.
constexpr char kCircleProgress[] = "circle_progress";
constexpr char kTimeRemain[] = "time_remain";
constexpr char kLabWarning[] = "lab_warning";
constexpr char kPeProgress[] = "pedownload_progress";
constexpr char kPeInfo[] = "pedownload_info";
constexpr char kPeRemain[] = "pedownload_remain";

struct XpFile {
    const char* entry;
    const char* name;  // on the system drive
};
constexpr XpFile kXpFiles[] = {
    {kGrubMbrEntry, "grub.mbr"},
    {kGrldrEntry, "grldr"},
    {kBootmgrEntry, "bootmgr"},
    {kXpBcdEntry, "boot\\bcd"},
};

std::string Drive(char letter) { return std::string(1, letter) + ":\\"; }

}  // namespace

PeInstaller::PeInstaller(PeInstallerPorts ports) : ports_(std::move(ports)) {}

std::string PeInstaller::ToolPath(const char* name) {
    std::optional<std::string> windows = ports_.system->windowsDirectory();
    // No Windows folder: an empty path, which the process port refuses.
    if (!windows || windows->empty()) return {};
    return paths::Join(paths::Join(*windows, "System32"), name);
}

std::string PeInstaller::BcdeditPath() { return ToolPath("bcdedit.exe"); }
std::string PeInstaller::ShutdownPath() { return ToolPath("shutdown.exe"); }

std::string PeInstaller::RecordPath() {
    std::string workspace = ports_.context->WorkspacePath();
    return workspace.empty() ? std::string() : paths::Join(workspace, kPreparedStartName);
}

ProcessRequest PeInstaller::Request(const std::string& program, const std::string& arguments) {
    ProcessRequest request;
    request.program = program;
    request.arguments = arguments;
    request.hidden = true;
    request.newConsole = true;
    request.wait = true;
    // A 32-bit program on 64-bit Windows must start System32's own tool, not SysWOW64's.
    request.disableWow64Redirection = ports_.context->Is64();
    return request;
}

Result<ProcessOutcome> PeInstaller::RunTool(const std::string& program, const std::string& arguments) {
    return ports_.process->Run(Request(program, arguments));
}

InstallPlan PeInstaller::Plan(PeInstallMode mode) {
    std::unique_ptr<PayloadFiles> payload = ports_.openPayload ? ports_.openPayload() : nullptr;
    return PlanWith(mode, payload.get());
}

InstallPlan PeInstaller::PlanWith(PeInstallMode mode, PayloadFiles* payload) {
    const ModeRow& row = ModeOf(mode);
    AppContext& context = *ports_.context;
    FileSystem& files = *ports_.files;
    InstallPlan plan;
    plan.mode = mode;
    plan.letter = context.SystemLetter();
    plan.xp = context.IsXp();
    plan.gpt = context.SystemDiskIsGpt();
    plan.option = row.option;
    plan.restart = {0, ShutdownPath(), "-r -t 0", false};
    plan.record = RecordPath();

    plan.packageUrl = context.PackageUrl();
    std::string savePath;
    int32_t state = -1;
    if (!plan.packageUrl.empty() && ports_.downloads &&
        ports_.downloads->QueryTask(plan.packageUrl, &savePath, &state, nullptr, nullptr, nullptr, nullptr, nullptr)) {
        plan.packageState = state;
        plan.packagePath = savePath;
    }
    plan.packageReady = plan.packageState == kDownloadComplete && !plan.packagePath.empty();

    if (plan.letter < 'A' || plan.letter > 'Z') {
        plan.refusal = "no system drive";
        return plan;
    }
    plan.folder = PeFolder(plan.letter);
    plan.bootWim = plan.folder + "boot.wim";
    plan.bootSdi = plan.folder + "boot.sdi";
    plan.writes.push_back({plan.bootWim, plan.packageReady ? plan.packagePath : "(the package, not downloaded)"});

    if (payload && payload->Has(kBootSdiEntry)) {
        plan.bootSdiSource = std::string("payload ") + kBootSdiEntry;
    } else if (!plan.xp && context.Major() >= 6) {
        // A build without the outside boot files: the running Windows' own copy.
        std::optional<std::string> windows = ports_.system->windowsDirectory();
        for (const char* relative : {"Boot\\DVD\\PCAT\\boot.sdi", "Boot\\EFI\\boot.sdi"}) {
            if (!windows) break;
            std::string candidate = paths::Join(*windows, relative);
            Result<FileFacts> facts = files.facts(candidate);
            if (facts && facts->size > 0 && !(facts->attributes & kFileAttributeDirectory)) {
                plan.bootSdiSource = candidate;
                break;
            }
        }
    }
    plan.writes.push_back({plan.bootSdi, plan.bootSdiSource.empty() ? "(none: no boot.sdi)" : plan.bootSdiSource});
    if (plan.bootSdiSource.empty()) plan.refusal = "no boot.sdi: the payload has none and Windows has none";

    if (plan.xp) {
        plan.bootIni = Drive(plan.letter) + "boot.ini";
        plan.bootIniBackup = plan.bootIni + ".qnb_bak";
        for (const XpFile& f : kXpFiles) {
            plan.extracts.push_back({Drive(plan.letter) + f.name, std::string("payload ") + f.entry});
            if (plan.refusal.empty() && !(payload && payload->Has(f.entry))) {
                plan.refusal = std::string("the payload has no ") + f.entry;
            }
        }
        std::optional<std::string> old = files.readFile(plan.bootIni);
        if (!old && row.backupRule == BootIniBackupRule::kKeepFirstOrRestore &&
            files.access(plan.bootIniBackup, FileSystem::kReadWrite)) {
            plan.restoresBootIni = true;
            old = files.readFile(plan.bootIniBackup);
        }
        if (old) plan.newBootIni = RewriteBootIni(*old, plan.letter, text::Utf8ToAnsi(row.bootIniLabel));
        if (plan.refusal.empty() && !old) plan.refusal = plan.bootIni + " is missing or cannot be read";
        if (plan.refusal.empty() && !plan.newBootIni) {
            plan.refusal = plan.bootIni + " has no \"[operating systems]\" section";
        }
        if (plan.restoresBootIni) {
            plan.writes.push_back({plan.bootIni, "copy of " + plan.bootIniBackup});
        } else if (!files.access(plan.bootIniBackup, FileSystem::kReadWrite)) {
            plan.writes.push_back({plan.bootIniBackup, "copy of " + plan.bootIni + " (the first one stays)"});
        }
        plan.writes.push_back({plan.bootIni, "rewritten, attributes kept"});
    } else {
        const std::string backup = plan.folder + "BCD_backup";
        bool backupExists = files.access(backup, FileSystem::kExists);
        for (const BcdeditRow& r : BcdeditRows(mode, plan.letter, plan.gpt, backupExists)) {
            plan.bcdedit.push_back({r.number, BcdeditPath(), r.arguments, r.checked});
        }
        if (!backupExists) plan.writes.push_back({backup, "bcdedit /export"});
    }
    if (!plan.record.empty()) plan.writes.push_back({plan.record, "the record of this change, for the undo"});
    if (plan.option) {
        plan.writes.push_back({paths::Join(context.WorkspacePath(), kHandoffFileName),
                               "Option " + std::to_string(*plan.option)});
    }
    return plan;
}

Status PeInstaller::Fail(const InstallPlan& plan, PeInstallerOwner& owner, const char* text, Failure failure) {
    const ModeRow& row = ModeOf(plan.mode);
    OrNoLog(ports_.log).Failed(kArea, failure);
    owner.FatalError(text);
    if (row.stopsTimerOnFailure) owner.StopTimer(kInstallTimer);
    return failure;
}

Status PeInstaller::CopyPackage(const InstallPlan& plan, JobControl& control) {
    FileSystem& files = *ports_.files;
    Result<FileFacts> source = files.facts(plan.packagePath);
    if (!source) return source.failure();
    // Under a temporary name beside it, renamed only when its size is the
    // download's: a boot.wim that is there is always whole.
    const std::string temporary = plan.bootWim + ".tmp";
    files.deleteFile(temporary);
    Status copied = files.copyFile(
        plan.packagePath, temporary, [&](uint64_t, uint64_t) { return !control.StopRequested(); }, true);
    if (!copied) return copied;
    Result<FileFacts> copy = files.facts(temporary);
    if (!copy || copy->size != source->size) {
        files.deleteFile(temporary);
        if (!copy) return copy.failure();
        return Failure{"copy the package: " + std::to_string(copy->size) + " of " + std::to_string(source->size) +
                           " bytes",
                       temporary, errors::kGenFailure};
    }
    Status renamed = files.moveFile(temporary, plan.bootWim, true);
    if (!renamed) {
        files.deleteFile(temporary);
        return renamed;
    }
    OrNoLog(ports_.log).Write(kArea, plan.bootWim + ": " + std::to_string(source->size) + " bytes from " +
                                         plan.packagePath);
    return {};
}

Status PeInstaller::PlaceBootSdi(const InstallPlan& plan, PayloadFiles* payload) {
    FileSystem& files = *ports_.files;
    const std::string payloadSource = std::string("payload ") + kBootSdiEntry;
    if (plan.bootSdiSource == payloadSource) {
        if (files.access(plan.bootSdi, FileSystem::kExists)) (void)files.setAttributes(plan.bootSdi, kFileAttributeNormal);
        if (!payload || payload->Extract(kBootSdiEntry, plan.bootSdi) == 0) {
            return Failure{"extract " + std::string(kBootSdiEntry), plan.bootSdi, errors::kGenFailure};
        }
    } else {
        Status copied = files.copyFile(plan.bootSdiSource, plan.bootSdi, nullptr, true);
        if (!copied) return copied;
    }
    Result<FileFacts> facts = files.facts(plan.bootSdi);
    if (!facts) return facts.failure();
    if (facts->size == 0) return Failure{"boot.sdi is empty", plan.bootSdi, errors::kGenFailure};
    OrNoLog(ports_.log).Write(kArea, plan.bootSdi + ": " + std::to_string(facts->size) + " bytes from " +
                                         plan.bootSdiSource);
    return {};
}

bool PeInstaller::WriteRecord(PeInstallMode mode, BootMethod method) {
    PreparedStart record;
    record.mode = mode;
    record.method = method;
    record.time = ports_.now ? ports_.now() : std::string();
    const std::string path = RecordPath();
    if (!path.empty() && ports_.files->writeFile(path, RenderPreparedStart(record))) return true;
    // The change goes on: it only cannot be taken back from the menu.
    OrNoLog(ports_.log).Write(kArea, "the record " + path + " could not be written");
    return false;
}

bool PeInstaller::RunChecked(const PlannedRun& run) {
    Result<ProcessOutcome> outcome = RunTool(run.program, run.arguments);
    return outcome && outcome->exitCode == 0;
}

Status PeInstaller::RunBcdeditSequence(const InstallPlan& plan) {
    // Recorded first: whatever happens from here on can be taken back.
    WriteRecord(plan.mode, BootMethod::kBcdedit);
    for (const PlannedRun& run : plan.bcdedit) {
        Result<ProcessOutcome> outcome = RunTool(run.program, run.arguments);
        bool ok = outcome && outcome->exitCode == 0;
        if (ok || !run.checked) continue;

        // An entry that is not whole must not start: it goes again, and the
        // machine keeps starting as before.
        Failure failure = outcome ? Failure{"bcdedit row " + std::to_string(run.row) + " exit code " +
                                                std::to_string(outcome->exitCode),
                                            run.arguments, outcome->exitCode}
                                  : outcome.failure();
        OrNoLog(ports_.log).Failed(kArea, failure);
        if (RunChecked({0, run.program, DeleteEntryArguments(), true})) {
            ports_.files->deleteFile(RecordPath());
            OrNoLog(ports_.log).Write(kArea, "the boot entry was deleted again");
        } else {
            OrNoLog(ports_.log).Write(kArea, "the boot entry could not be deleted again; the record stays for the undo");
        }
        return failure;
    }
    return {};
}

Status PeInstaller::ExtractXpFiles(const InstallPlan& plan, PayloadFiles* payload) {
    FileSystem& files = *ports_.files;
    for (const XpFile& f : kXpFiles) {
        const std::string path = Drive(plan.letter) + f.name;
        // A file of an earlier run is read-only, hidden and system.
        if (files.access(path, FileSystem::kExists)) (void)files.setAttributes(path, kFileAttributeNormal);
        if (!payload || payload->Extract(f.entry, path) == 0) {
            return Failure{std::string("extract ") + f.entry, path, errors::kGenFailure};
        }
        Status marked = files.setAttributes(path, kXpAttributes);
        if (!marked) OrNoLog(ports_.log).Failed(kArea, marked.failure());
    }
    return {};
}

Status PeInstaller::RewriteBootIniFile(const InstallPlan& plan, PayloadFiles* payload) {
    FileSystem& files = *ports_.files;
    const ModeRow& row = ModeOf(plan.mode);
    // A boot.ini that went missing comes back from the backup (restore and backup).
    if (plan.restoresBootIni) {
        Status restored = files.copyFile(plan.bootIniBackup, plan.bootIni, nullptr, false);
        if (!restored) return restored;
    }
    std::optional<std::string> old = files.readFile(plan.bootIni);
    if (!old) return Failure{"read boot.ini", plan.bootIni, errors::kFileNotFound};
    std::optional<std::string> rewritten = RewriteBootIni(*old, plan.letter, text::Utf8ToAnsi(row.bootIniLabel));
    if (!rewritten) return Failure{"find \"[operating systems]\" in boot.ini", plan.bootIni, errors::kInvalidParameter};
    Result<FileFacts> facts = files.facts(plan.bootIni);
    if (!facts) return facts.failure();
    const uint32_t kept = facts->attributes;

    Status extracted = ExtractXpFiles(plan, payload);
    if (!extracted) return extracted;

    // Read-only off for the copy and the rewrite; the attributes come back at the end.
    Status writable = files.setAttributes(plan.bootIni, kept & ~kFileAttributeReadOnly);
    if (!writable) return writable;
    if (!files.access(plan.bootIniBackup, FileSystem::kReadWrite)) {
        // The first backup ever made stays: never overwritten.
        (void)files.copyFile(plan.bootIni, plan.bootIniBackup, nullptr, false);
    } else if (row.backupRule == BootIniBackupRule::kKeepFirstOrRestore) {
        (void)files.copyFile(plan.bootIniBackup, plan.bootIni, nullptr, false);
    }

    // Whole or not at all; a hidden or system file is not replaced in place.
    (void)files.setAttributes(plan.bootIni, kFileAttributeNormal);
    bool written = files.writeFile(plan.bootIni, *rewritten);
    Status restored = files.setAttributes(plan.bootIni, kept);
    if (!written) return Failure{"write boot.ini", plan.bootIni, errors::kAccessDenied};
    if (!restored) OrNoLog(ports_.log).Failed(kArea, restored.failure());
    WriteRecord(plan.mode, BootMethod::kBootIni);
    OrNoLog(ports_.log).Write(kArea, plan.bootIni + " rewritten, " + std::to_string(rewritten->size()) + " bytes");
    return {};
}

void PeInstaller::Restart() {
    // The command's outcome is in the log; nothing more can be done about it here.
    (void)RunTool(ShutdownPath(), "-r -t 0");
}

Status PeInstaller::HandoffSaved(const InstallPlan& plan, PeInstallerOwner& owner) {
    // The environment does what SETTING.JSON on disk says: a restart is only
    // offered once the file holds what the program set. Otherwise the boot
    // entry is taken back, so that the next start is Windows, not an
    // environment that would act on an older hand-off.
    if (ports_.context->HandoffOnDisk()) return {};
    Result<bool> undone = Undo();
    if (!undone) OrNoLog(ports_.log).Failed(kArea, undone.failure());
    return Fail(plan, owner, ModeOf(plan.mode).copyFailureText,
                Failure{"save the hand-off file", ports_.context->WorkspacePath(), errors::kAccessDenied});
}

Status PeInstaller::Ending(const InstallPlan& plan, PeInstallerOwner& owner, JobControl& control) {
    const ModeRow& row = ModeOf(plan.mode);
    const StopToken& stop = control.stopToken();
    switch (row.ending) {
        case Ending::kReinstall: {
            if (row.option) ports_.context->SetOption(*row.option);
            if (Status saved = HandoffSaved(plan, owner); !saved) return saved;
            if (ports_.report) ports_.report(row.report);
            owner.SetValue(kCircleProgress, 100);
            owner.SetText(kCircleProgress, kDoneText);
            owner.SetText(kTimeRemain, kAfterRestartText);
            owner.SetText(kLabWarning, kRestartByHandText);
            owner.SetTextColor(kLabWarning, kRestartByHandColor);
            // A stop (the window going away) answers every question without a restart.
            if (owner.RestartWhenFinished()) {
                if (owner.AskCountdown(stop) == CountdownResult::kRestartNow && !control.StopRequested()) Restart();
            } else if (owner.BackupErrorCount() > 0) {
                // "No" restarts; "yes" means the user wants to look at the errors first.
                if (owner.AskYesNo(kDoneCaption, kRestartWithErrorsQuestion, stop) == Answer::kNo &&
                    !control.StopRequested()) {
                    Restart();
                }
            } else if (owner.AskYesNo(kDoneCaption, kRestartQuestion, stop) == Answer::kYes &&
                       !control.StopRequested()) {
                Restart();
            }
            owner.StopTimer(kInstallTimer);
            owner.SetText(kTimeRemain, kInstalledText);
            return {};
        }
        case Ending::kRestore:
            owner.PrepareRestore();
            if (Status saved = HandoffSaved(plan, owner); !saved) return saved;
            if (ports_.report) ports_.report(row.report);
            owner.SetText(kPeInfo, kRestoreAfterRestartText);
            owner.SetText(kPeRemain, " ");
            if (owner.AskYesNo(kRestoreCaption, kRestoreQuestion, stop) == Answer::kYes && !control.StopRequested()) {
                Restart();
            }
            return {};
        case Ending::kBackup:
            if (ports_.report) ports_.report(row.report);
            owner.HandOverBackup();
            return {};
    }
    return {};
}

Status PeInstaller::Run(PeInstallMode mode, PeInstallerOwner& owner, JobControl& control) {
    const ModeRow& row = ModeOf(mode);
    Log& log = OrNoLog(ports_.log);
    log.Write(kArea, std::string("start: ") + row.name);
    if (row.start == StartSignal::kTimer) {
        owner.StartTimer(kInstallTimer, kInstallTimerMs);
    } else {
        owner.SetText(kPeProgress, "100%");
        owner.SetValue(kPeProgress, 100);
        owner.SetText(kPeInfo, kInstallingText);
    }

    // One payload for the whole run: the archive is unpacked once.
    std::unique_ptr<PayloadFiles> payload = ports_.openPayload ? ports_.openPayload() : nullptr;
    InstallPlan plan = PlanWith(mode, payload.get());
    if (!plan.packageReady) {
        // The installer never starts or waits for a download itself.
        return Fail(plan, owner, row.packageMissingText,
                    Failure{"find the completed package (record state " + std::to_string(plan.packageState) + ")",
                            plan.packageUrl, 0});
    }
    if (!plan.refusal.empty()) {
        return Fail(plan, owner, row.copyFailureText, Failure{"prepare the boot files: " + plan.refusal, "", 0});
    }

    // The package and the image the environment installs are the bytes the
    // service named: checked again here, since the files may have changed
    // on disk since their downloads ended.
    if (ports_.downloads) {
        Result<std::string> package = ports_.downloads->VerifiedFile(plan.packageUrl, control.stopToken());
        if (!package) return Fail(plan, owner, row.packageMissingText, package.failure());
        const std::string image = ports_.context->SelectedImageUrl();
        if (mode == PeInstallMode::kReinstall && !ports_.context->Handoff().localImage && !image.empty()) {
            Result<std::string> verified = ports_.downloads->VerifiedFile(image, control.stopToken());
            if (!verified) return Fail(plan, owner, row.packageMissingText, verified.failure());
        }
    }

    Status folder = CreateFolderTree(*ports_.files, plan.folder);
    if (!folder) log.Failed(kArea, folder.failure());
    Status copied = CopyPackage(plan, control);
    if (copied) copied = PlaceBootSdi(plan, payload.get());
    if (!copied) {
        if (control.StopRequested()) return Failure{"install the preinstallation environment", "stopped", kCancelled};
        return Fail(plan, owner, row.copyFailureText, copied.failure());
    }
    // Past this point the boot configuration changes: a stop no longer ends
    // the work halfway, only the questions.
    if (control.StopRequested()) {
        if (row.stopsTimerOnFailure) owner.StopTimer(kInstallTimer);
        return Failure{"install the preinstallation environment", "stopped", kCancelled};
    }
    Status changed = plan.xp ? RewriteBootIniFile(plan, payload.get()) : RunBcdeditSequence(plan);
    if (!changed) return Fail(plan, owner, row.copyFailureText, changed.failure());

    if (Status ended = Ending(plan, owner, control); !ended) return ended;
    log.Write(kArea, std::string("ready: ") + row.name);
    return {};
}

std::optional<PreparedStart> PeInstaller::Prepared() {
    const std::string path = RecordPath();
    if (path.empty()) return std::nullopt;
    std::optional<std::string> bytes = ports_.files->readFile(path);
    if (!bytes) return std::nullopt;
    return ParsePreparedStart(*bytes);
}

Result<bool> PeInstaller::Undo() {
    std::optional<PreparedStart> record = Prepared();
    if (!record) return false;
    FileSystem& files = *ports_.files;
    Log& log = OrNoLog(ports_.log);
    log.Write(kArea, std::string("undo: ") + ModeOf(record->mode).name);
    if (record->method == BootMethod::kBcdedit) {
        // The entry may be gone already (the environment ran, or it was
        // deleted by hand): what counts is that Windows starts by default.
        (void)RunTool(BcdeditPath(), DeleteEntryArguments());
        Result<ProcessOutcome> current = RunTool(BcdeditPath(), kDefaultCurrentArguments);
        if (!current) return current.failure();
        if (current->exitCode != 0) {
            return Failure{"bcdedit exit code " + std::to_string(current->exitCode), kDefaultCurrentArguments,
                           current->exitCode};
        }
    } else {
        const char letter = ports_.context->SystemLetter();
        const std::string bootIni = Drive(letter) + "boot.ini";
        const std::string backup = bootIni + ".qnb_bak";
        Result<FileFacts> saved = files.facts(backup);
        if (!saved) return saved.failure();
        Result<FileFacts> current = files.facts(bootIni);
        const uint32_t kept = current ? current->attributes : saved->attributes;
        if (current) (void)files.setAttributes(bootIni, kFileAttributeNormal);
        Status copied = files.copyFile(backup, bootIni, nullptr, true);
        Status restored = files.setAttributes(bootIni, kept);
        if (!copied) return copied.failure();
        if (!restored) log.Failed(kArea, restored.failure());
    }
    ports_.context->SetOption(-1);
    if (!files.deleteFile(RecordPath())) {
        return Failure{"delete the record", RecordPath(), errors::kAccessDenied};
    }
    log.Write(kArea, "undone");
    return true;
}

}  // namespace qnb::installer
