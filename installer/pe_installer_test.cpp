// The installer on simulated machines: files in memory, system tools
// answered by a script that keeps their command lines, the payload as a
// table, the owner as a recorder of what it was told, in order.
#include "installer/pe_installer.h"

#include "app/test_support/memory_machine.h"
#include "download/download_records.h"
#include "installer/bcdedit_rows.h"
#include "jobs/test_support/manual_clock.h"
#include "platform/error_codes.h"
#include "platform/fake/fake_process.h"
#include "platform/folder_tree.h"
#include "platform/paths.h"
#include "platform/sha256.h"
#include "platform/text.h"

#include <algorithm>
#include <gtest/gtest.h>

#include <map>

namespace qnb::installer {
namespace {

using namespace std::chrono_literals;

constexpr char kUrl[] = "http://127.0.0.1/pe/TessalyPE.wim";
constexpr char kPackage[] = "D:\\Quenbrook\\Data\\TessalyPE.wim";
constexpr char kBcdedit[] = "C:\\Windows\\System32\\bcdedit.exe";
constexpr char kShutdown[] = "C:\\Windows\\System32\\shutdown.exe";
constexpr char kRecord[] = "D:\\Quenbrook\\Data\\PeBoot.json";
const std::string kId = kEntryId;

const std::string kXpBootIni =
    "[boot loader]\r\ntimeout=30\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n[operating systems]\r\n"
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" /fastdetect\r\n";

class TablePayload : public PayloadFiles {
public:
    TablePayload(FileSystem& files, const std::map<std::string, std::string>& entries)
        : files_(files), entries_(entries) {}
    bool Has(const std::string& entry) override {
        auto it = entries_.find(entry);
        return it != entries_.end() && !it->second.empty();
    }
    uint64_t Extract(const std::string& entry, const std::string& target) override {
        if (!Has(entry) || !CreateFolderTree(files_, std::string(paths::Folder(target)))) return 0;
        return files_.writeFile(target, entries_.at(entry)) ? entries_.at(entry).size() : 0;
    }

private:
    FileSystem& files_;
    std::map<std::string, std::string> entries_;
};

// Every call as one line, in order; the questions answered as set.
class RecordingOwner : public PeInstallerOwner {
public:
    void SetText(const std::string& c, const std::string& t) override { lines.push_back("text " + c + "=" + t); }
    void SetValue(const std::string& c, int v) override { lines.push_back("value " + c + "=" + std::to_string(v)); }
    void SetTextColor(const std::string& c, uint32_t argb) override {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08x", argb);
        lines.push_back("color " + c + "=" + hex);
    }
    void StartTimer(unsigned id, unsigned ms) override {
        lines.push_back("timer " + std::to_string(id) + " " + std::to_string(ms));
    }
    void StopTimer(unsigned id) override { lines.push_back("stop timer " + std::to_string(id)); }
    void FatalError(const std::string& t) override { lines.push_back("fatal " + t); }
    void PrepareRestore() override { lines.push_back("prepare restore"); }
    void HandOverBackup() override { lines.push_back("hand over backup"); }
    CountdownResult AskCountdown(const StopToken&) override {
        lines.push_back("countdown");
        return countdown;
    }
    Answer AskYesNo(const std::string& caption, const std::string& t, const StopToken&) override {
        lines.push_back("ask " + caption + "|" + t);
        return answer;
    }
    bool RestartWhenFinished() override { return restartFlag; }
    int BackupErrorCount() override { return backupErrors; }

    std::vector<std::string> lines;
    CountdownResult countdown = CountdownResult::kLater;
    Answer answer = Answer::kNo;
    bool restartFlag = false;
    int backupErrors = 0;
};

// A machine of testbed/machines with its Windows and data drives in
// memory, the package downloaded (unless told otherwise) and the installer
// wired as the program wires it.
class Bench : public test::MemoryMachine {
public:
    explicit Bench(const std::string& machine, bool packageDownloaded = true) : MemoryMachine(machine) {
        context.SetPackageUrl(kUrl);
        DownloadManagerPorts ports;
        ports.files = &files;
        downloads.SetPorts(std::move(ports));
        if (packageDownloaded) {
            files.AddFile(kPackage, package);
            files.writeFile("D:\\Quenbrook\\Data\\Download.json", RenderDownloadRecords({{kUrl, kPackage}}));
        }
        downloads.Initialise(context.WorkspacePath());
        process.Otherwise([this](const ProcessRequest& request) -> Result<ProcessOutcome> {
            if (!failing.empty() && request.arguments.compare(0, failing.size(), failing) == 0) {
                return ProcessOutcome{1, ""};
            }
            return ProcessOutcome{0, ""};
        });
        payload = {{kBootSdiEntry, "SDI"}, {kGrubMbrEntry, "MBR"}, {kGrldrEntry, "GRLDR"},
                   {kBootmgrEntry, "BOOTMGR"}, {kXpBcdEntry, "BCD"}};
        PeInstallerPorts p;
        p.context = &context;
        p.files = &files;
        p.system = &system();
        p.process = &process;
        p.downloads = &downloads;
        p.openPayload = [this]() -> std::unique_ptr<PayloadFiles> {
            return std::make_unique<TablePayload>(files, payload);
        };
        p.report = [this](net::ReportKind kind) { reports.push_back(static_cast<int>(kind)); };
        p.now = [] { return std::string("2026-12-10 05:20:41"); };
        installer = std::make_unique<PeInstaller>(std::move(p));
    }

    Status Run(PeInstallMode mode) {
        JobControl control(clock, stop.Token(), nullptr);
        return installer->Run(mode, owner, control);
    }

    // "bcdedit ARGS" or "shutdown ARGS" for each program started, in order.
    std::vector<std::string> Runs() const {
        std::vector<std::string> runs;
        for (const ProcessRequest& r : process.Requests()) {
            std::string name = r.program == kBcdedit ? "bcdedit" : r.program == kShutdown ? "shutdown" : r.program;
            runs.push_back(name + " " + r.arguments);
        }
        return runs;
    }
    std::vector<std::string> BcdeditRuns(PeInstallMode mode, bool gpt, bool backupExists) const {
        std::vector<std::string> runs;
        for (const BcdeditRow& r : BcdeditRows(mode, 'C', gpt, backupExists)) runs.push_back("bcdedit " + r.arguments);
        return runs;
    }
    uint32_t Attributes(const std::string& path) { return files.facts(path)->attributes; }

    std::string package = std::string(300000, 'w') + "end";
    CDownloadManager downloads;
    fake::FakeProcess process;
    std::string failing;  // a bcdedit argument list starting so fails with exit code 1
    std::map<std::string, std::string> payload;
    std::vector<int> reports;
    RecordingOwner owner;
    test::ManualClock clock;
    StopSource stop;
    std::unique_ptr<PeInstaller> installer;
};

bool HasOption(const std::string& setting, int option) {
    return setting.find("\"Option\" : " + std::to_string(option) + ",") != std::string::npos;
}

constexpr char kReinstallCopyFailed[] =
    "fatal 关键文件丢失，无法继续，请关闭安全软件或检查网络连接。\r\n点击确定后本软件将自动退出，请稍后重新打开。";

TEST(PeInstaller, AReinstallOnAGptWindows10) {
    Bench b("gpt-uefi");
    b.owner.answer = Answer::kYes;
    ASSERT_TRUE(b.Run(PeInstallMode::kReinstall));

    std::vector<std::string> expected = b.BcdeditRuns(PeInstallMode::kReinstall, true, false);
    expected.push_back("shutdown -r -t 0");
    EXPECT_EQ(b.Runs(), expected);
    for (const ProcessRequest& r : b.process.Requests()) {
        EXPECT_TRUE(r.hidden && r.wait && r.newConsole) << r.arguments;
        EXPECT_TRUE(r.disableWow64Redirection) << "a 32-bit program on 64-bit Windows starts System32's tools";
    }
    EXPECT_EQ(b.files.Content("C:\\QNBPE\\boot\\boot.wim"), b.package);
    EXPECT_EQ(b.files.Content("C:\\QNBPE\\boot\\boot.sdi"), "SDI");
    EXPECT_FALSE(b.files.access("C:\\QNBPE\\boot\\boot.wim.tmp", FileSystem::kExists));
    EXPECT_TRUE(HasOption(b.Setting(), 0)) << b.Setting();
    EXPECT_EQ(b.reports, std::vector<int>{6});
    EXPECT_EQ(b.files.Content(kRecord),
              RenderPreparedStart({PeInstallMode::kReinstall, BootMethod::kBcdedit, "2026-12-10 05:20:41"}));
    EXPECT_EQ(b.owner.lines, (std::vector<std::string>{
                                 "timer 999 500",
                                 "value circle_progress=100",
                                 "text circle_progress=完成",
                                 "text time_remain=重启后继续",
                                 "text lab_warning=若重启失败，请手动重启。",
                                 "color lab_warning=ff000000",
                                 "ask 完成|准备工作已全部完成，是否立即重启",
                                 "stop timer 999",
                                 "text time_remain=PE安装完成",
                             }));
}

TEST(PeInstaller, ThePlanNamesWhatTheRunDoes) {
    struct Case {
        const char* machine;
        PeInstallMode mode;
        bool gpt;
    } cases[] = {
        {"gpt-uefi", PeInstallMode::kReinstall, true},
        {"win7-mbr", PeInstallMode::kReinstall, false},
        {"win7-mbr", PeInstallMode::kRestore, false},
        {"xp-x64-5.2", PeInstallMode::kBackup, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.machine);
        Bench b(c.machine);
        for (int run = 0; run < 2; ++run) {
            InstallPlan plan = b.installer->Plan(c.mode);
            EXPECT_TRUE(plan.packageReady && plan.refusal.empty()) << plan.refusal;
            std::vector<std::string> planned;
            for (const PlannedRun& r : plan.bcdedit) planned.push_back("bcdedit " + r.arguments);
            // The second run finds BCD_backup (which the stand-in does not write here: it is made by hand).
            EXPECT_EQ(planned, b.BcdeditRuns(c.mode, c.gpt, run == 1));
            size_t before = b.process.Requests().size();
            ASSERT_TRUE(b.Run(c.mode));
            std::vector<std::string> runs = b.Runs();
            runs.erase(runs.begin(), runs.begin() + static_cast<long>(before));
            EXPECT_EQ(std::vector<std::string>(runs.begin(), runs.begin() + static_cast<long>(planned.size())), planned);
            b.files.AddFile("C:\\QNBPE\\boot\\BCD_backup", "store");
        }
    }
}

TEST(PeInstaller, RestoreAndBackupShowTheirProgressAndEndings) {
    {
        Bench b("win7-mbr");
        b.owner.answer = Answer::kYes;
        ASSERT_TRUE(b.Run(PeInstallMode::kRestore));
        EXPECT_EQ(b.owner.lines, (std::vector<std::string>{
                                     "text pedownload_progress=100%",
                                     "value pedownload_progress=100",
                                     "text pedownload_info=正在安装PE，请稍后...",
                                     "prepare restore",
                                     "text pedownload_info=还原操作将在重启后继续!",
                                     "text pedownload_remain= ",
                                     "ask 重启提示|准备工作进行完成\r\n是否立即重启，并开始还原备份",
                                 }));
        EXPECT_EQ(b.reports, std::vector<int>{4});
        EXPECT_EQ(b.Runs().back(), "shutdown -r -t 0");
        EXPECT_TRUE(HasOption(b.Setting(), -1)) << "Option is the restore window's to set";
        for (const ProcessRequest& r : b.process.Requests()) EXPECT_FALSE(r.disableWow64Redirection);
    }
    {
        Bench b("win7-mbr");
        ASSERT_TRUE(b.Run(PeInstallMode::kBackup));
        EXPECT_EQ(b.owner.lines, (std::vector<std::string>{
                                     "text pedownload_progress=100%",
                                     "value pedownload_progress=100",
                                     "text pedownload_info=正在安装PE，请稍后...",
                                     "hand over backup",
                                 }));
        EXPECT_EQ(b.reports, std::vector<int>{2});
        EXPECT_NE(b.Runs().back().find("bcdedit"), std::string::npos) << "the backup window asks for the restart";
        EXPECT_TRUE(HasOption(b.Setting(), -1));
    }
}

TEST(PeInstaller, TheRestartQuestions) {
    struct Case {
        const char* what;
        bool restartFlag;
        int backupErrors;
        CountdownResult countdown;
        Answer answer;
        const char* asked;
        bool restarts;
    } cases[] = {
        {"countdown, restart", true, 3, CountdownResult::kRestartNow, Answer::kYes, "countdown", true},
        {"countdown, later", true, 0, CountdownResult::kLater, Answer::kYes, "countdown", false},
        {"errors, no restarts", false, 2, CountdownResult::kLater, Answer::kNo,
         "ask 完成|准备工作已全部完成，但在这期间出现了一些错误，您是否需要处理这些错误？\r\n"
         "如果您选择“否”，我们将立即为您重启计算机。",
         true},
        {"errors, yes looks at them", false, 2, CountdownResult::kLater, Answer::kYes, nullptr, false},
        {"errors, unanswered", false, 2, CountdownResult::kLater, Answer::kNone, nullptr, false},
        {"no errors, yes", false, 0, CountdownResult::kLater, Answer::kYes, "ask 完成|准备工作已全部完成，是否立即重启",
         true},
        {"no errors, no", false, 0, CountdownResult::kLater, Answer::kNo, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b("gpt-uefi");
        b.owner.restartFlag = c.restartFlag;
        b.owner.backupErrors = c.backupErrors;
        b.owner.countdown = c.countdown;
        b.owner.answer = c.answer;
        ASSERT_TRUE(b.Run(PeInstallMode::kReinstall));
        if (c.asked) EXPECT_EQ(b.owner.lines[6], c.asked);
        EXPECT_EQ(b.Runs().back() == "shutdown -r -t 0", c.restarts);
        EXPECT_EQ(b.owner.lines.back(), "text time_remain=PE安装完成");
    }
}

TEST(PeInstaller, APackageStillDownloadingWritesNothing) {
    // The program's manager, with an engine that is always busy.
    struct Busy : EngineLibrary {
        bool Init() override { return true; }
        bool UnInit() override { return true; }
        EngineHandle CreateTask(const EngineTaskParams&) override { return reinterpret_cast<EngineHandle>(1); }
        bool StartTask(EngineHandle) override { return true; }
        bool QueryTaskInfo(EngineHandle, EngineTaskInfo* info) override {
            *info = EngineTaskInfo{};
            info->status = kDownloadRunning;
            return true;
        }
        bool StopTask(EngineHandle) override { return true; }
        bool DeleteTask(EngineHandle) override { return true; }
    };
    for (PeInstallMode mode : {PeInstallMode::kReinstall, PeInstallMode::kRestore}) {
        Bench b("gpt-uefi", false);
        test::ManualClock clock;
        DownloadManagerPorts ports;
        ports.files = &b.files;
        ports.clock = &clock;
        ports.openEngine = [](const StopToken&) -> std::unique_ptr<EngineLibrary> { return std::make_unique<Busy>(); };
        b.downloads.SetPorts(std::move(ports));
        b.downloads.AddTask(kUrl, b.context.WorkspacePath());
        ASSERT_TRUE(clock.WaitForSleepers(1)) << "the worker's first pass";
        int32_t state = 0;
        ASSERT_TRUE(b.downloads.QueryTask(kUrl, nullptr, &state, nullptr, nullptr, nullptr, nullptr, nullptr));
        ASSERT_EQ(state, kDownloadRunning);

        Status outcome = b.Run(mode);
        EXPECT_FALSE(outcome);
        EXPECT_TRUE(b.Runs().empty());
        EXPECT_FALSE(b.files.access("C:\\QNBPE", FileSystem::kExists));
        EXPECT_FALSE(b.files.access(kRecord, FileSystem::kExists));
        if (mode == PeInstallMode::kReinstall) {
            EXPECT_EQ(b.owner.lines,
                      (std::vector<std::string>{
                          "timer 999 500",
                          "fatal 无法从服务器下载文件，可能是服务器繁忙或本地网络异常。\r\n"
                          "点击确定后本软件将自动退出，请稍后重新打开。",
                          "stop timer 999"}));
        } else {
            EXPECT_EQ(b.owner.lines.back(), "fatal 关键文件下载失败，无法继续\r\n请关闭杀毒并重启本软件后重试!");
        }
        b.downloads.Stop();
    }
}

TEST(PeInstaller, WithoutADownloadRecordThePackageIsMissing) {
    Bench b("gpt-uefi", false);
    EXPECT_FALSE(b.Run(PeInstallMode::kBackup));
    EXPECT_EQ(b.owner.lines.back(), "fatal 关键文件下载失败，无法继续\r\n请关闭杀毒并重启本软件后重试!");
    EXPECT_TRUE(b.Runs().empty());
}

TEST(PeInstaller, APackageChangedOnDiskSinceItsDownloadIsMissing) {
    struct Case {
        const char* what;
        std::string onDisk;   // the package's bytes when the installer runs
        bool recordHash;      // Download.json keeps the hash of the downloaded bytes
    } cases[] = {
        {"another size", std::string(1000, 'x'), false},
        {"same size, other bytes", std::string(300000, 'x') + "end", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b("gpt-uefi", false);
        const std::string downloaded = b.package;
        b.files.AddFile(kPackage, c.onDisk);
        b.files.writeFile("D:\\Quenbrook\\Data\\Download.json",
                          RenderDownloadRecords({{kUrl, kPackage, c.recordHash ? Sha256Hex(downloaded) : "",
                                                  downloaded.size()}}));
        b.downloads.Initialise(b.context.WorkspacePath());
        EXPECT_FALSE(b.Run(PeInstallMode::kBackup));
        EXPECT_EQ(b.owner.lines.back(), "fatal 关键文件下载失败，无法继续\r\n请关闭杀毒并重启本软件后重试!");
        EXPECT_TRUE(b.Runs().empty()) << "the boot store is not touched";
        EXPECT_FALSE(b.files.access("C:\\QNBPE\\boot\\boot.wim", FileSystem::kExists));
        b.downloads.Stop();
    }
}

TEST(PeInstaller, AHandoffFileThatCannotBeSavedAsksNoRestart) {
    Bench b("gpt-uefi");
    b.owner.answer = Answer::kYes;
    b.files.SetAttributes("D:\\Quenbrook\\Data\\SETTING.JSON", kFileAttributeReadOnly);
    EXPECT_FALSE(b.Run(PeInstallMode::kReinstall));
    for (const std::string& line : b.owner.lines) EXPECT_EQ(line.find("ask "), std::string::npos) << line;
    EXPECT_EQ(b.owner.lines.back(), "stop timer 999");
    EXPECT_NE(std::find(b.owner.lines.begin(), b.owner.lines.end(), kReinstallCopyFailed), b.owner.lines.end());
    std::vector<std::string> runs = b.Runs();
    for (const std::string& run : runs) EXPECT_EQ(run.find("shutdown"), std::string::npos) << run;
    ASSERT_GE(runs.size(), 2u);
    EXPECT_EQ(runs.back(), "bcdedit /default {current}") << "the next start is Windows again";
    EXPECT_TRUE(b.reports.empty());
}

TEST(PeInstaller, AnUnwritableTargetLeavesTheBootStoreAlone) {
    Bench b("gpt-uefi");
    b.files.AddFile("C:\\QNBPE\\boot\\boot.wim", "older");
    b.files.SetAttributes("C:\\QNBPE\\boot\\boot.wim", kFileAttributeReadOnly);
    EXPECT_FALSE(b.Run(PeInstallMode::kReinstall));
    EXPECT_TRUE(b.Runs().empty());
    EXPECT_EQ(b.files.Content("C:\\QNBPE\\boot\\boot.wim"), "older");
    EXPECT_FALSE(b.files.access("C:\\QNBPE\\boot\\boot.wim.tmp", FileSystem::kExists));
    EXPECT_EQ(b.owner.lines, (std::vector<std::string>{"timer 999 500", kReinstallCopyFailed, "stop timer 999"}));
    EXPECT_TRUE(b.reports.empty());
    EXPECT_TRUE(HasOption(b.Setting(), -1));
}

TEST(PeInstaller, BootSdiComesFromThePayloadOrFromWindows) {
    struct Case {
        const char* what;
        bool inPayload;
        std::vector<std::string> windowsCopies;
        std::string expected;  // "" when the installer refuses
    } cases[] = {
        {"payload first", true, {"C:\\Windows\\Boot\\DVD\\PCAT\\boot.sdi"}, "SDI"},
        {"Windows' PCAT copy", false, {"C:\\Windows\\Boot\\DVD\\PCAT\\boot.sdi", "C:\\Windows\\Boot\\EFI\\boot.sdi"},
         "C:\\Windows\\Boot\\DVD\\PCAT\\boot.sdi"},
        {"Windows' EFI copy", false, {"C:\\Windows\\Boot\\EFI\\boot.sdi"}, "C:\\Windows\\Boot\\EFI\\boot.sdi"},
        {"none at all", false, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b("gpt-uefi");
        if (!c.inPayload) b.payload.erase(kBootSdiEntry);
        for (const std::string& copy : c.windowsCopies) b.files.AddFile(copy, copy);
        Status outcome = b.Run(PeInstallMode::kReinstall);
        EXPECT_EQ(outcome.ok(), !c.expected.empty());
        if (c.expected.empty()) {
            EXPECT_TRUE(b.Runs().empty()) << "nothing touches the boot store";
            EXPECT_EQ(b.owner.lines[1], kReinstallCopyFailed);
            EXPECT_FALSE(b.files.access("C:\\QNBPE\\boot\\boot.wim", FileSystem::kExists)) << "refused before the copy";
        } else {
            EXPECT_EQ(b.files.Content("C:\\QNBPE\\boot\\boot.sdi"), c.expected);
        }
    }
}

TEST(PeInstaller, AFailingCheckedRowTakesTheEntryOutAgain) {
    for (const BcdeditRow& row : BcdeditRows(PeInstallMode::kReinstall, 'C', true, false)) {
        SCOPED_TRACE(row.number);
        Bench b("gpt-uefi");
        b.failing = row.arguments;
        if (row.number == 1 || row.number == 14 || row.number == 16) continue;  // the same text as another row
        Status outcome = b.Run(PeInstallMode::kReinstall);
        std::vector<std::string> all = b.BcdeditRuns(PeInstallMode::kReinstall, true, false);
        if (!row.checked) {
            EXPECT_TRUE(outcome);
            EXPECT_EQ(b.Runs().size(), all.size()) << "an unchecked row does not stop the sequence";
            continue;
        }
        EXPECT_FALSE(outcome);
        auto upTo = std::find(all.begin(), all.end(), "bcdedit " + row.arguments);
        std::vector<std::string> expected(all.begin(), upTo + 1);
        expected.push_back("bcdedit " + DeleteEntryArguments());
        EXPECT_EQ(b.Runs(), expected);
        EXPECT_EQ(b.owner.lines, (std::vector<std::string>{"timer 999 500", kReinstallCopyFailed, "stop timer 999"}));
        EXPECT_FALSE(b.files.access(kRecord, FileSystem::kExists)) << "nothing is left to undo";
        EXPECT_TRUE(b.reports.empty());
        EXPECT_TRUE(HasOption(b.Setting(), -1));
    }
}

TEST(PeInstaller, ABcdeditThatCannotStartIsAFailureAndTheRecordStays) {
    Bench b("win7-mbr");
    b.process.Otherwise(nullptr);  // no program starts
    EXPECT_FALSE(b.Run(PeInstallMode::kRestore));
    EXPECT_EQ(b.owner.lines.back(), "fatal 关键文件丢失，无法继续\r\n请关闭杀毒并重启本软件后重试!");
    EXPECT_EQ(b.Runs().back(), "bcdedit " + DeleteEntryArguments());
    EXPECT_TRUE(b.files.access(kRecord, FileSystem::kExists)) << "the undo may still be needed";
}

TEST(PeInstaller, OnWindowsXpBootIniIsRewrittenAndItsBackupKept) {
    Bench b("xp-boot-ini");
    b.files.AddFile("C:\\boot.ini", kXpBootIni);
    const uint32_t original = kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem;
    b.files.SetAttributes("C:\\boot.ini", original);
    b.owner.answer = Answer::kYes;
    ASSERT_TRUE(b.Run(PeInstallMode::kReinstall));

    const std::string once = "[boot loader]\r\ntimeout=3\r\ndefault=C:\\grub.mbr\r\n[operating systems]\r\n"
                             "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
                             "/fastdetect\r\n\r\nC:\\grub.mbr=\"TessalyPE\"";
    EXPECT_EQ(b.files.Content("C:\\boot.ini"), once);
    EXPECT_EQ(b.Attributes("C:\\boot.ini"), original);
    EXPECT_EQ(b.files.Content("C:\\boot.ini.qnb_bak"), kXpBootIni);
    for (const char* path : {"C:\\grub.mbr", "C:\\grldr", "C:\\bootmgr", "C:\\boot\\bcd"}) {
        EXPECT_EQ(b.Attributes(path), 7u) << path;
    }
    EXPECT_EQ(b.files.Content("C:\\grldr"), "GRLDR");
    EXPECT_EQ(b.Runs(), std::vector<std::string>{"shutdown -r -t 0"}) << "no bcdedit on XP";
    EXPECT_TRUE(b.files.Content(kRecord)->find("boot.ini") != std::string::npos);

    // A restore run later: one more line, the first backup stays, the
    // read-only files of the first run are replaced.
    ASSERT_TRUE(b.Run(PeInstallMode::kRestore));
    EXPECT_EQ(b.files.Content("C:\\boot.ini"), once + "\r\nC:\\grub.mbr=\"" + text::Utf8ToAnsi("Tessaly预安装环境") + "\"");
    EXPECT_EQ(b.files.Content("C:\\boot.ini.qnb_bak"), kXpBootIni);
    EXPECT_EQ(b.Attributes("C:\\boot.ini"), original);
}

TEST(PeInstaller, OnWindowsXpABootIniItCannotUseStaysAsItIs) {
    struct Case {
        const char* what;
        std::optional<std::string> bootIni;
        PeInstallMode mode;
        bool ok;
    } cases[] = {
        {"no section", std::string("[boot loader]\r\ntimeout=30\r\n"), PeInstallMode::kReinstall, false},
        {"no boot.ini", std::nullopt, PeInstallMode::kReinstall, false},
        {"no boot.ini, no backup", std::nullopt, PeInstallMode::kBackup, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b("xp-boot-ini");
        if (c.bootIni) b.files.AddFile("C:\\boot.ini", *c.bootIni);
        EXPECT_FALSE(b.Run(c.mode));
        EXPECT_EQ(b.files.Content("C:\\boot.ini"), c.bootIni);
        for (const char* path : {"C:\\grub.mbr", "C:\\grldr", "C:\\boot.ini.qnb_bak", kRecord}) {
            EXPECT_FALSE(b.files.access(path, FileSystem::kExists)) << path;
        }
        EXPECT_NE(b.owner.lines[b.owner.lines.size() - (c.mode == PeInstallMode::kReinstall ? 2 : 1)].find("fatal 关键文件丢失"),
                  std::string::npos);
    }
    // Restore and backup bring a missing boot.ini back from its backup.
    Bench b("xp-boot-ini");
    b.files.AddFile("C:\\boot.ini.qnb_bak", kXpBootIni);
    ASSERT_TRUE(b.Run(PeInstallMode::kBackup));
    EXPECT_EQ(b.files.Content("C:\\boot.ini.qnb_bak"), kXpBootIni);
    EXPECT_EQ(b.files.Content("C:\\boot.ini"),
              "[boot loader]\r\ntimeout=3\r\ndefault=C:\\grub.mbr" + kXpBootIni.substr(kXpBootIni.find("\r\n[operating")) +
                  "\r\nC:\\grub.mbr=\"" + text::Utf8ToAnsi("Tessaly预安装环境") + "\"");
    // A payload without the XP files: nothing changes either.
    Bench missing("xp-boot-ini");
    missing.files.AddFile("C:\\boot.ini", kXpBootIni);
    missing.payload.erase(kGrldrEntry);
    EXPECT_FALSE(missing.Run(PeInstallMode::kReinstall));
    EXPECT_EQ(missing.files.Content("C:\\boot.ini"), kXpBootIni);
    EXPECT_FALSE(missing.files.access("C:\\grub.mbr", FileSystem::kExists));
}

TEST(PeInstaller, UndoTakesTheEntryBackOnce) {
    Bench b("gpt-uefi");
    EXPECT_EQ(b.installer->Undo().value(), false) << "nothing prepared";
    EXPECT_TRUE(b.Runs().empty());
    ASSERT_TRUE(b.Run(PeInstallMode::kReinstall));
    ASSERT_TRUE(b.installer->Prepared());
    size_t before = b.process.Requests().size();

    Result<bool> undone = b.installer->Undo();
    ASSERT_TRUE(undone);
    EXPECT_TRUE(*undone);
    std::vector<std::string> runs = b.Runs();
    EXPECT_EQ(std::vector<std::string>(runs.begin() + static_cast<long>(before), runs.end()),
              (std::vector<std::string>{"bcdedit " + DeleteEntryArguments(), "bcdedit /default {current}"}));
    EXPECT_TRUE(HasOption(b.Setting(), -1));
    EXPECT_FALSE(b.installer->Prepared());
    EXPECT_EQ(b.installer->Undo().value(), false);
    EXPECT_EQ(b.Runs().size(), runs.size()) << "a second undo changes nothing";
}

TEST(PeInstaller, AnUndoThatFailsKeepsItsRecord) {
    Bench b("gpt-uefi");
    ASSERT_TRUE(b.Run(PeInstallMode::kReinstall));
    b.failing = "/default {current}";
    Result<bool> undone = b.installer->Undo();
    EXPECT_FALSE(undone);
    EXPECT_TRUE(b.installer->Prepared());
    EXPECT_TRUE(HasOption(b.Setting(), 0));
}

TEST(PeInstaller, UndoOnWindowsXpPutsTheOriginalBootIniBack) {
    Bench b("xp-boot-ini");
    b.files.AddFile("C:\\boot.ini", kXpBootIni);
    b.files.SetAttributes("C:\\boot.ini", kFileAttributeHidden | kFileAttributeSystem | kFileAttributeReadOnly);
    ASSERT_TRUE(b.Run(PeInstallMode::kReinstall));
    ASSERT_TRUE(b.Run(PeInstallMode::kReinstall));
    Result<bool> undone = b.installer->Undo();
    ASSERT_TRUE(undone);
    EXPECT_TRUE(*undone);
    EXPECT_EQ(b.files.Content("C:\\boot.ini"), kXpBootIni);
    EXPECT_EQ(b.Attributes("C:\\boot.ini"), kFileAttributeHidden | kFileAttributeSystem | kFileAttributeReadOnly);
    EXPECT_FALSE(b.installer->Prepared());
    EXPECT_EQ(b.installer->Undo().value(), false);
}

TEST(PeInstaller, AStopBeforeTheBootChangeChangesNothing) {
    Bench b("gpt-uefi");
    b.stop.RequestStop();
    EXPECT_FALSE(b.Run(PeInstallMode::kReinstall));
    EXPECT_TRUE(b.Runs().empty());
    EXPECT_FALSE(b.files.access(kRecord, FileSystem::kExists));
    for (const std::string& line : b.owner.lines) EXPECT_EQ(line.find("fatal"), std::string::npos) << line;
}

}  // namespace
}  // namespace qnb::installer
