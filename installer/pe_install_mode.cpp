#include "installer/pe_install_mode.h"

namespace qnb::installer {

namespace {

constexpr char kReinstallMissing[] =
    "无法从服务器下载文件，可能是服务器繁忙或本地网络异常。\r\n点击确定后本软件将自动退出，请稍后重新打开。";
constexpr char kReinstallCopyFailed[] =
    "关键文件丢失，无法继续，请关闭安全软件或检查网络连接。\r\n点击确定后本软件将自动退出，请稍后重新打开。";
constexpr char kWindowMissing[] = "关键文件下载失败，无法继续\r\n请关闭杀毒并重启本软件后重试!";
constexpr char kWindowCopyFailed[] = "关键文件丢失，无法继续\r\n请关闭杀毒并重启本软件后重试!";

const ModeRow kModes[] = {
    {PeInstallMode::kReinstall, "reinstall", StartSignal::kTimer, kReinstallMissing, kReinstallCopyFailed, true,
     "TessalyPE", BootIniBackupRule::kKeepFirst, true, 0, net::ReportKind::kReinstallDone, Ending::kReinstall},
    // Restore: the restore window sets Option 2 in its preparation step.
    {PeInstallMode::kRestore, "restore", StartSignal::kProgressControls, kWindowMissing, kWindowCopyFailed, false,
     "Tessaly预安装环境", BootIniBackupRule::kKeepFirstOrRestore, false, std::nullopt, net::ReportKind::kRestoreDone,
     Ending::kRestore},
    // Backup: the backup window sets Option in its finishing step.
    {PeInstallMode::kBackup, "backup", StartSignal::kProgressControls, kWindowMissing, kWindowCopyFailed, false,
     "Tessaly预安装环境", BootIniBackupRule::kKeepFirstOrRestore, false, std::nullopt, net::ReportKind::kBackupDone,
     Ending::kBackup},
};

}  // namespace

const ModeRow& ModeOf(PeInstallMode mode) {
    for (const ModeRow& row : kModes) {
        if (row.mode == mode) return row;
    }
    return kModes[0];
}

std::optional<PeInstallMode> ParseMode(std::string_view name) {
    for (const ModeRow& row : kModes) {
        if (name == row.name) return row.mode;
    }
    return std::nullopt;
}

}  // namespace qnb::installer
