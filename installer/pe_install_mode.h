// The three callers of the installer and everything in which they differ,
// as one row of data per mode: what the owner is shown at the start, the
// texts of its failures, the boot.ini label and backup rule, the extra
// bcdedit rows, what it records in SETTING.JSON, its usage report and its
// ending. The steps themselves are the same for every mode.
#pragma once

#include "net/usage_report.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qnb::installer {

enum class PeInstallMode { kReinstall, kRestore, kBackup };

// How the owner learns that the installer has started.
enum class StartSignal {
    kTimer,             // the owner's timer 999 (500 ms) animates "正在安装PE"
    kProgressControls,  // "pedownload_progress" at 100%, "pedownload_info" says it installs
};

// What is done with boot.ini.qnb_bak before boot.ini is rewritten.
enum class BootIniBackupRule {
    kKeepFirst,           // made when there is none; the first ever made stays
    kKeepFirstOrRestore,  // the same, and a missing boot.ini comes back from it
};

enum class Ending { kReinstall, kRestore, kBackup };

struct ModeRow {
    PeInstallMode mode;
    const char* name;  // "reinstall", "restore", "backup": for the log, qnbdiag and the record
    StartSignal start;
    const char* packageMissingText;
    const char* copyFailureText;
    bool stopsTimerOnFailure;
    const char* bootIniLabel;  // UTF-8; written in the ANSI code page
    BootIniBackupRule backupRule;
    bool extraBcdeditRows;        // a first "/timeout 3" and "/set {bootmgr} displaybootmenu yes"
    std::optional<int> option;    // what the installer itself sets Option to
    net::ReportKind report;
    Ending ending;
};

const ModeRow& ModeOf(PeInstallMode mode);
// "reinstall", "restore" or "backup"; nothing for another word.
std::optional<PeInstallMode> ParseMode(std::string_view name);

// The owner's timer and controls.
constexpr unsigned kInstallTimer = 999;
constexpr unsigned kInstallTimerMs = 500;

// Texts of the start and of the endings.
constexpr char kInstallingText[] = "正在安装PE，请稍后...";
constexpr char kDoneText[] = "完成";
constexpr char kAfterRestartText[] = "重启后继续";
constexpr char kRestartByHandText[] = "若重启失败，请手动重启。";
constexpr uint32_t kRestartByHandColor = 0xFF000000;  // opaque black
constexpr char kInstalledText[] = "PE安装完成";
constexpr char kDoneCaption[] = "完成";
constexpr char kRestartQuestion[] = "准备工作已全部完成，是否立即重启";
constexpr char kRestartWithErrorsQuestion[] =
    "准备工作已全部完成，但在这期间出现了一些错误，您是否需要处理这些错误？\r\n"
    "如果您选择“否”，我们将立即为您重启计算机。";
constexpr char kRestoreAfterRestartText[] = "还原操作将在重启后继续!";
constexpr char kRestoreCaption[] = "重启提示";
constexpr char kRestoreQuestion[] = "准备工作进行完成\r\n是否立即重启，并开始还原备份";

}  // namespace qnb::installer
