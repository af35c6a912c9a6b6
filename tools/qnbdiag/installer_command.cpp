// qnbdiag's installer commands, on the machine it runs on (the one
// QNB_SIM_MACHINE describes, or the real one):
//   plan MODE [--package FILE | --package-downloading]
//                         what the installer would do, without doing it: the
//                         files it writes, one line per bcdedit argument list
//                         or the new boot.ini, and why it would stop
//   install-pe MODE --package FILE [--answer yes|no|countdown-restart|countdown-cancel]
//              [--backup-errors N] [--no-reboot-flag] [--package-downloading]
//                         runs the real installer with an owner window that
//                         prints each update, posted message and question as
//                         one JSON line and answers as told; exit 0 when the
//                         ending was reached, 1 after a fatal error
//   undo-pe               takes a prepared start back, as the main window's menu does
// MODE is reinstall, restore or backup. FILE becomes the completed download
// of the package URL in the download manager's own records (Download.json),
// so the installer finds it through QueryTask; it must lie on the
// workspace's drive. --package-downloading instead leaves the package's
// download running. --payload ARCHIVE|none takes the boot files from a 7z
// file, or from no payload at all, instead of the program's own.
#include "download/download_manager.h"
#include "download/download_records.h"
#include "installer/bcdedit_rows.h"
#include "installer/pe_installer.h"
#include "log/diagnostic_log.h"
#include "log/logged_process.h"
#include "platform/paths.h"
#include "platform/sim/sim_machine.h"
#include "platform/text.h"
#include "tools/qnbdiag/commands.h"
#include "tools/qnbdiag/json_output.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#ifdef _WIN32
#include "installer/installer_window_win32.h"
#include "jobs/window_messages.h"
#include "inspect/mac_address_win32.h"
#include "log/local_time_win32.h"
#include "net/endpoints.h"
#include "net/report_facts_win32.h"
#include "net/usage_reporter.h"
#include "log/job_log.h"

#include <windows.h>

#include <chrono>
#include <thread>
#endif

namespace qnb::diag {

namespace {

using installer::InstallPlan;
using installer::PeInstallMode;

// The package URL when the context has none (no service answered yet).
constexpr char kLocalPackageUrl[] = "http://127.0.0.1/TessalyPE.wim";

struct Options {
    std::optional<PeInstallMode> mode;
    std::string package;
    std::string answer;  // "" answers nothing
    int backupErrors = 0;
    bool restartFlag = true;
    bool downloading = false;
    std::string payload;  // "" the program's own, "none", or a 7z file
};

bool ParseOptions(const Arguments& args, bool withMode, Options* o) {
    size_t i = 0;
    if (withMode) {
        if (args.empty() || !(o->mode = installer::ParseMode(args[0]))) return false;
        i = 1;
    }
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool more = i + 1 < args.size();
        if (a == "--package" && more) o->package = args[++i];
        else if (a == "--answer" && more) o->answer = args[++i];
        else if (a == "--backup-errors" && more) o->backupErrors = std::atoi(args[++i].c_str());
        else if (a == "--no-reboot-flag") o->restartFlag = false;
        else if (a == "--package-downloading") o->downloading = true;
        else if (a == "--payload" && more) o->payload = args[++i];
        else return false;
    }
    return true;
}

void PrintLine(const std::string& line) {
    std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

#ifdef _WIN32
// One JSON object on one line.
void PrintEvent(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    PrintLine(Json::writeString(builder, value));
}
#endif

// Everything the installer needs, made as the program makes it.
class Bench {
public:
    explicit Bench(const Options& options) : options_(options) {
        std::string error;
        machine_ = sim::OpenMachineFromEnvironment(&error);
        if (!machine_) {
            error_ = error;
            return;
        }
        FileSystem& files = machine_->files();
        context_.Initialise(machine_->storage(), machine_->system(), files, machine_->folderSecurity());
        if (!context_.IsReady()) {
            error_ = "the application context is not ready (no workspace folder)";
            return;
        }
#ifdef _WIN32
        log_ = std::make_unique<DiagnosticLog>(files, win32::LocalTimeStamp);
        log_->Open(context_.WorkspacePath());
#else
        log_ = std::make_unique<DiagnosticLog>(files, [] { return std::string(); });
#endif
        process_ = std::make_unique<LoggedProcessPort>(machine_->process(), *log_);
        DownloadManagerPorts ports;
        ports.files = &files;
        ports.log = log_.get();
        ports.clock = &SystemClock();
        if (options.downloading) {
            ports.openEngine = [](const StopToken&) -> std::unique_ptr<EngineLibrary> {
                return std::make_unique<BusyEngine>();
            };
        }
        downloads_.SetPorts(std::move(ports));

        installer::PeInstallerPorts p;
        p.context = &context_;
        p.files = &files;
        p.system = &machine_->system();
        p.process = process_.get();
        p.downloads = &downloads_;
        p.openPayload = [this]() { return OpenPayload(); };
#ifdef _WIN32
        p.now = win32::LocalTimeStamp;
        reportLog_ = std::make_unique<JobEndLog>(*log_, "report");
        reporter_ = std::make_unique<net::UsageReporter>(reportLog_.get());
        reporter_->Attach(net::win32::ReadReportFacts, &context_);
        reporter_->SetHost(net::ReportEndpoint(), inspect::win32::GetMacAddress());
        p.report = [this](net::ReportKind kind) {
            Json::Value j;
            j["event"] = "report";
            j["kind"] = static_cast<int>(kind);
            PrintEvent(j);
            reporter_->Report(kind);
        };
#endif
        p.log = log_.get();
        installer_ = std::make_unique<installer::PeInstaller>(std::move(p));
    }
    ~Bench() { downloads_.Stop(); }

    const std::string& error() const { return error_; }
    AppContext& context() { return context_; }
    installer::PeInstaller& installer() { return *installer_; }
    CDownloadManager& downloads() { return downloads_; }
    FileSystem& files() { return machine_->files(); }

    // The package: FILE as the completed download of the package URL, or a
    // download that keeps running.
    bool PreparePackage(std::string* problem) {
        std::string url = context_.PackageUrl();
        if (url.empty()) {
            url = kLocalPackageUrl;
            context_.SetPackageUrl(url);
        }
        const std::string workspace = context_.WorkspacePath();
        if (!options_.package.empty()) {
            if (options_.package[0] != workspace[0]) {
                *problem = "the package must lie on the workspace's drive " + workspace.substr(0, 2);
                return false;
            }
            const std::string records = paths::Join(workspace, kDownloadRecordsName);
            std::vector<CompletedDownload> done;
            if (std::optional<std::string> bytes = files().readFile(records)) done = ParseDownloadRecords(*bytes);
            done.erase(std::remove_if(done.begin(), done.end(), [&](const CompletedDownload& d) { return d.url == url; }),
                       done.end());
            done.push_back({url, options_.package});
            if (!files().writeFile(records, RenderDownloadRecords(done))) {
                *problem = "cannot write " + records;
                return false;
            }
        }
        downloads_.Initialise(workspace);
        if (options_.downloading) {
            downloads_.AddTask(url, workspace);
            for (int i = 0; i < 500; ++i) {
                int32_t state = 0;
                if (downloads_.QueryTask(url, nullptr, &state, nullptr, nullptr, nullptr, nullptr, nullptr) &&
                    state == kDownloadRunning) {
                    return true;
                }
#ifdef _WIN32
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
#endif
            }
            *problem = "the package's download did not start";
            return false;
        }
        return true;
    }

private:
    // An engine whose every task stays under way.
    struct BusyEngine : EngineLibrary {
        bool Init() override { return true; }
        bool UnInit() override { return true; }
        EngineHandle CreateTask(const EngineTaskParams&) override { return reinterpret_cast<EngineHandle>(1); }
        bool StartTask(EngineHandle) override { return true; }
        bool QueryTaskInfo(EngineHandle, EngineTaskInfo* info) override {
            *info = EngineTaskInfo{};
            info->status = kDownloadRunning;
            info->speed = 1;
            return true;
        }
        bool StopTask(EngineHandle) override { return true; }
        bool DeleteTask(EngineHandle) override { return true; }
    };

    std::unique_ptr<installer::PayloadFiles> OpenPayload() {
        if (options_.payload == "none") return nullptr;
        if (!options_.payload.empty()) {
            std::optional<std::string> bytes = files().readFile(options_.payload);
            auto archive = std::make_unique<CResourceArchive>(files());
            if (!bytes || !archive->LoadFromMemory(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size())) {
                return nullptr;
            }
            return std::make_unique<installer::ArchivePayloadFiles>(std::move(archive));
        }
#ifdef _WIN32
        return installer::OpenProgramPayload(files());
#else
        return nullptr;
#endif
    }

    Options options_;
    std::string error_;
    std::unique_ptr<Machine> machine_;
    AppContext context_;
    std::unique_ptr<DiagnosticLog> log_;
    std::unique_ptr<LoggedProcessPort> process_;
#ifdef _WIN32
    std::unique_ptr<JobEndLog> reportLog_;
    std::unique_ptr<net::UsageReporter> reporter_;  // its reports end before the log goes
#endif
    CDownloadManager downloads_;
    std::unique_ptr<installer::PeInstaller> installer_;
};

const char* StateName(int32_t state) {
    switch (state) {
        case -1: return "no record";
        case kDownloadNew: return "new";
        case kDownloadFailed: return "failed";
        case kDownloadPaused: return "paused";
        case kDownloadRunning: return "downloading";
        case kDownloadComplete: return "complete";
    }
    return "other";
}

// A text of the owner with its line break shown as " / ".
std::string OneLine(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " / ");
    return text;
}

void PrintPlan(const InstallPlan& plan, AppContext& context) {
    const installer::ModeRow& row = installer::ModeOf(plan.mode);
    PrintLine(std::string("plan ") + row.name + " on " + std::string(1, plan.letter) + ": (" + context.OsName() + " " +
              std::to_string(context.Major()) + "." + std::to_string(context.Minor()) + ", " +
              (plan.gpt ? "GPT" : "MBR") + (context.Is64() ? ", 32-bit program on 64-bit Windows" : "") + ")");
    PrintLine("package " + (plan.packageUrl.empty() ? std::string("(no URL)") : plan.packageUrl) + ": " +
              StateName(plan.packageState) + (plan.packagePath.empty() ? "" : " " + plan.packagePath));
    if (!plan.packageReady) {
        PrintLine("stop: the package is not downloaded; the owner is told:");
        PrintLine("    " + OneLine(row.packageMissingText));
        PrintLine("nothing would be written");
        return;
    }
    if (!plan.refusal.empty()) {
        PrintLine("stop: " + plan.refusal + "; the owner is told:");
        PrintLine("    " + OneLine(row.copyFailureText));
        PrintLine("nothing would touch the boot configuration");
        return;
    }
    for (const installer::PlannedFile& f : plan.writes) PrintLine("write " + f.path + " <- " + f.source);
    for (const installer::PlannedFile& f : plan.extracts) PrintLine("extract " + f.path + " <- " + f.source + ", attributes 7");
    if (plan.xp) {
        PrintLine("boot.ini " + plan.bootIni + " becomes:");
        std::string text = text::AnsiToUtf8(plan.newBootIni.value_or(""));
        for (size_t start = 0;;) {
            size_t end = text.find("\r\n", start);
            PrintLine("    " + text.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos) break;
            start = end + 2;
        }
    } else {
        PrintLine("bcdedit " + (plan.bcdedit.empty() ? std::string() : plan.bcdedit.front().program) +
                  ", rows marked * delete the entry again when they fail:");
        for (const installer::PlannedRun& r : plan.bcdedit) {
            char head[8];
            std::snprintf(head, sizeof head, "%2d%c ", r.row, r.checked ? '*' : ' ');
            PrintLine(head + r.arguments);
        }
    }
    PrintLine("restart " + plan.restart.program + " " + plan.restart.arguments + " (when the user agrees)");
}

}  // namespace

int RunPlan(const Arguments& args) {
    Options options;
    if (!ParseOptions(args, true, &options)) {
        PrintError("usage: plan reinstall|restore|backup [--package FILE | --package-downloading] [--payload ARCHIVE|none]");
        return 2;
    }
    Bench bench(options);
    if (!bench.error().empty()) return PrintError(bench.error()), 1;
    std::string problem;
    if (!bench.PreparePackage(&problem)) return PrintError(problem), 1;
    PrintPlan(bench.installer().Plan(*options.mode), bench.context());
    return 0;
}

#ifdef _WIN32
namespace {

// Prints what the installer tells its owner window, on the window's thread,
// and answers its questions as told.
class PrintingWindow : public installer::win32::InstallerWindow {
public:
    explicit PrintingWindow(std::string answer) : answer_(std::move(answer)) {}
    void SetControlText(const std::string& control, const std::string& text) override {
        Json::Value j;
        j["event"] = "text";
        j["control"] = control;
        j["text"] = text;
        PrintEvent(j);
    }
    void SetControlValue(const std::string& control, int value) override {
        Json::Value j;
        j["event"] = "value";
        j["control"] = control;
        j["value"] = value;
        PrintEvent(j);
    }
    void SetControlTextColor(const std::string& control, uint32_t argb) override {
        char color[10];
        std::snprintf(color, sizeof color, "#%08X", argb);
        Json::Value j;
        j["event"] = "color";
        j["control"] = control;
        j["color"] = color;
        PrintEvent(j);
    }
    void StartTimer(unsigned id, unsigned milliseconds) override {
        Json::Value j;
        j["event"] = "timer";
        j["id"] = id;
        j["ms"] = milliseconds;
        PrintEvent(j);
    }
    void StopTimer(unsigned id) override {
        Json::Value j;
        j["event"] = "stop-timer";
        j["id"] = id;
        PrintEvent(j);
    }
    void ShowFatalError(const std::string& text) override {
        Json::Value j;
        j["event"] = "message";
        j["message"] = "WM_FATAL_ERROR";
        j["value"] = WM_FATAL_ERROR;
        j["text"] = text;
        PrintEvent(j);
    }
    void PrepareRestore() override { PrintStep("prepare-restore"); }
    void HandOverBackup() override { PrintStep("hand-over-backup"); }
    installer::CountdownResult RunCountdown() override {
        bool restart = answer_ == "countdown-restart";
        Json::Value j;
        j["event"] = "question";
        j["kind"] = "countdown";
        j["answer"] = restart ? "restart" : "later";
        PrintEvent(j);
        return restart ? installer::CountdownResult::kRestartNow : installer::CountdownResult::kLater;
    }
    installer::Answer AskYesNo(const std::string& caption, const std::string& text) override {
        Json::Value j;
        j["event"] = "question";
        j["kind"] = "yesno";
        j["caption"] = caption;
        j["text"] = text;
        j["answer"] = answer_ == "yes" || answer_ == "no" ? answer_ : "none";
        PrintEvent(j);
        return answer_ == "yes" ? installer::Answer::kYes : answer_ == "no" ? installer::Answer::kNo
                                                                            : installer::Answer::kNone;
    }

private:
    static void PrintStep(const char* name) {
        Json::Value j;
        j["event"] = name;
        PrintEvent(j);
    }

    std::string answer_;
};

LRESULT CALLBACK OwnerProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* window = reinterpret_cast<PrintingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window && installer::win32::HandleInstallerMessage(msg, wParam, lParam, *window)) return 0;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void Drain() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace

int RunInstallPe(const Arguments& args) {
    Options options;
    if (!ParseOptions(args, true, &options)) {
        PrintError("usage: install-pe reinstall|restore|backup --package FILE [--answer yes|no|countdown-restart|"
                   "countdown-cancel] [--backup-errors N] [--no-reboot-flag] [--package-downloading] "
                   "[--payload ARCHIVE|none]");
        return 2;
    }
    Bench bench(options);
    if (!bench.error().empty()) return PrintError(bench.error()), 1;
    std::string problem;
    if (!bench.PreparePackage(&problem)) return PrintError(problem), 1;

    PrintingWindow printing(options.answer);
    WNDCLASSW cls{};
    cls.lpfnWndProc = OwnerProcedure;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"qnbdiag_installer_owner";
    RegisterClassW(&cls);
    HWND hwnd = CreateWindowW(cls.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, cls.hInstance, nullptr);
    if (!hwnd) return PrintError("no owner window"), 1;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&printing));

    installer::win32::WindowInstallerOwner owner(
        hwnd, [&] { return options.restartFlag; }, [&] { return options.backupErrors; });
    Job job("installer");
    job.Start([&](JobControl& control) { return bench.installer().Run(*options.mode, owner, control); });
    while (!job.Finished()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        Drain();
    }
    job.Join();
    Drain();  // everything the installer posted before it ended
    DestroyWindow(hwnd);

    Status outcome = job.Outcome().value_or(Status::Ok());
    Json::Value end;
    end["event"] = "end";
    end["ok"] = outcome.ok();
    if (!outcome.ok()) end["failure"] = outcome.failure().Describe();
    PrintEvent(end);
    return outcome.ok() ? 0 : 1;
}

int RunUndoPe(const Arguments& args) {
    if (!args.empty()) return PrintError("undo-pe takes no arguments"), 2;
    Options options;
    Bench bench(options);
    if (!bench.error().empty()) return PrintError(bench.error()), 1;
    Json::Value j(Json::objectValue);
    if (std::optional<installer::PreparedStart> prepared = bench.installer().Prepared()) {
        j["prepared"] = installer::ModeOf(prepared->mode).name;
        j["question"] = installer::UndoQuestion(*prepared);
    }
    Result<bool> undone = bench.installer().Undo();
    j["undone"] = undone.ok() && *undone;
    if (!undone.ok()) j["failure"] = undone.failure().Describe();
    PrintJson(j);
    return undone.ok() ? 0 : 1;
}
#else
int RunInstallPe(const Arguments&) {
    PrintError("install-pe runs in the Windows builds only");
    return 1;
}
int RunUndoPe(const Arguments&) {
    PrintError("undo-pe runs in the Windows builds only");
    return 1;
}
#endif

}  // namespace qnb::diag
