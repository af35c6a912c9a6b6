// The main window's decisions: which window a command-line switch opens,
// whether and how the update prompt shows, the product site's links.
#pragma once

#include "app/catalogue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qnb::ui {

enum class MainAction { kReinstall, kBackup, kRestore };

struct ActionInfo {
    const char* title;   // of the action window
    uint32_t exStyle;    // extended window style of the action window
    int usageEvent;      // usage report kind sent when the action is chosen
    const char* name;    // for messages: the action's Chinese name
};
const ActionInfo& Info(MainAction action);

// In PE mode the command line names the window to open: "/backup",
// "/reinstall" or "/restore", found anywhere in it, tested in that order.
std::optional<MainAction> FindModeSwitch(std::string_view commandLine);

// What the update prompt does with the update answer, one second after the
// main window opened.
struct UpdatePrompt {
    bool show = false;           // labels change, the update button is enabled
    std::string newVersionText;  // new_ver's text
    bool ask = false;            // ask whether to go to the download page now
    std::string url;             // the download page ("" when it is not a web address)
};
UpdatePrompt DecideUpdatePrompt(int updateState, const UpdateInfo& info);

// Only web addresses are handed to the shell: the program runs elevated,
// and an address from the service must not start a program.
bool IsWebAddress(std::string_view url);

// A page of the product web site: "http://" + host + path and query.
std::string SiteLink(std::string_view host, std::string_view pathAndQuery);

// The workspace folder lies on the system drive (its first letter is the system's).
bool WorkspaceOnSystemDrive(std::string_view workspace, char systemLetter);

// Texts of the main window.
constexpr char kNotReadyText[] = "程序初始化失败,请确保除系统分区外存在其他可用空间大于%dGB的分区！";
constexpr int kNotReadyGiB = 10;
constexpr char kNotReadyActionText[] = "程序初始化失败,此功能无法使用！";
constexpr char kSameDriveText[] = "除系统分区外未找到可用分区。程序无法使用";
constexpr char kErrorCaption[] = "错误";
constexpr char kUpdateQuestion[] = "发现新版本，是否立即前往下载？";
constexpr char kUpdateCaption[] = "更新";
constexpr char kNotInThisBuild[] = "此版本尚未包含%s功能，敬请期待新版本。";
constexpr char kNoticeCaption[] = "提示";
constexpr char kNoUpdateText[] = "当前已是最新版本。";
constexpr char kUpdateUnknownText[] = "正在检查更新，请稍后再试。";
constexpr char kUpdateFailedText[] = "检查更新失败，请检查网络连接后重新打开本软件。";
// The menu's undo of a prepared start (its question comes with the record).
constexpr char kUndoCaption[] = "取消重装准备";
constexpr char kUndoneText[] = "已取消，电脑下次开机将直接进入当前系统。";
constexpr char kUndoFailedText[] = "未能恢复启动设置，请稍后重试。";

// The not-ready text with its number filled in.
std::string NotReadyText();
std::string NotInThisBuildText(MainAction action);

}  // namespace qnb::ui
