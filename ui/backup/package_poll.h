// The preinstallation package's download as the backup and restore
// windows follow it: every 200 ms (their timer 1) the download's record
// decides what the window does next, and gives the texts of its progress
// page. The windows differ only in how they pad the time left.
#pragma once

#include "download/download_tasks.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qnb::ui {

enum class TimeLeftStyle {
    kPlain,   // the backup window: 剩余：1分5秒
    kPadded,  // the restore window, two places wide: 剩余： 1分 5秒
};

// "%0.1fGB/S," above 1073741824 bytes per second, "%0.1fMB/S," above
// 1048576, "%0.1fKB/S," above 1024, else "00KB/S,".
std::string PackageSpeedText(int64_t bytesPerSecond);
// (total - done) / speed + 10 with a speed above 0, else -1. A count
// beyond the total counts as nothing left.
int64_t PackageSecondsLeft(uint64_t totalBytes, uint64_t doneBytes, int64_t bytesPerSecond);
// "剩余：%d小时%d分", "剩余：%d分%d秒" or "剩余：%d秒" (padded: "%2d" for the
// minutes and seconds).
std::string PackageTimeLeftText(int64_t seconds, TimeLeftStyle style);

// What one tick of timer 1 does.
struct PollStep {
    enum Action {
        kWait,      // no package address yet: nothing this time
        kAdd,       // no download yet: start it, look again next time
        kFailed,    // stop the timer, say so, close the window with 2
        kProgress,  // show the percentage (and, with labels, speed and time left)
        kComplete,  // stop the timer, start the installer
        kNothing,   // any other state
    };
    Action action = kNothing;
    int value = 0;           // pedownload_progress's value
    std::string valueText;   // and text: "%d%%"
    bool labels = false;     // pedownload_info and pedownload_remain change
    std::string info;        // "正在下载PE，" + the speed text
    std::string remain;      // the time left
};
PollStep PollPackage(const std::string& url, const std::optional<DownloadFacts>& record, TimeLeftStyle style);

constexpr int kPackageTimer = 1;
constexpr int kPackageTimerMs = 200;

// Texts of the progress page.
constexpr char kDownloadingText[] = "正在下载PE，";
constexpr char kDownloadFailedCaption[] = "错误";
constexpr char kDownloadFailedText[] = "关键文件下载失败，无法继续，请关闭杀毒并重启本软件后重试!";

}  // namespace qnb::ui
