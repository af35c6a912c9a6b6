#include "ui/backup/package_poll.h"

#include <cstdio>

namespace qnb::ui {

std::string PackageSpeedText(int64_t s) {
    constexpr int64_t kGiB = 1073741824;
    constexpr int64_t kMiB = 1048576;
    constexpr int64_t kKiB = 1024;
    char text[64];
    if (s > kGiB) {
        std::snprintf(text, sizeof text, "%0.1fGB/S,", static_cast<double>(s) / kGiB);
    } else if (s > kMiB) {
        std::snprintf(text, sizeof text, "%0.1fMB/S,", static_cast<double>(s) / kMiB);
    } else if (s > kKiB) {
        std::snprintf(text, sizeof text, "%0.1fKB/S,", static_cast<double>(s) / kKiB);
    } else {
        return "00KB/S,";
    }
    return text;
}

int64_t PackageSecondsLeft(uint64_t total, uint64_t done, int64_t speed) {
    if (speed <= 0) return -1;
    uint64_t left = done < total ? total - done : 0;
    return static_cast<int64_t>(left / static_cast<uint64_t>(speed)) + 10;
}

std::string PackageTimeLeftText(int64_t r, TimeLeftStyle style) {
    const long long h = r / 3600;
    const long long m = (r % 3600) / 60;
    const long long sec = r % 60;
    const bool padded = style == TimeLeftStyle::kPadded;
    char text[96];
    if (h > 0) {
        std::snprintf(text, sizeof text, padded ? "剩余：%lld小时%2lld分" : "剩余：%lld小时%lld分", h, m);
    } else if (m > 0) {
        std::snprintf(text, sizeof text, padded ? "剩余：%2lld分%2lld秒" : "剩余：%lld分%lld秒", m, sec);
    } else {
        std::snprintf(text, sizeof text, padded ? "剩余：%2lld秒" : "剩余：%lld秒", sec);
    }
    return text;
}

PollStep PollPackage(const std::string& url, const std::optional<DownloadFacts>& record, TimeLeftStyle style) {
    PollStep step;
    if (url.empty()) {
        // The service has not named the package yet: its query goes on in the background.
        step.action = PollStep::kWait;
        return step;
    }
    if (!record) {
        step.action = PollStep::kAdd;
        return step;
    }
    switch (record->state) {
        case kDownloadFailed:
            step.action = PollStep::kFailed;
            return step;
        case kDownloadComplete:
            step.action = PollStep::kComplete;
            return step;
        case kDownloadRunning: {
            step.action = PollStep::kProgress;
            step.value = (record->percent < 0 ? 0 : record->percent) % 101;
            step.valueText = std::to_string(step.value) + "%";
            const int64_t left = PackageSecondsLeft(record->totalBytes, record->doneBytes, record->speed);
            if (left > 0) {
                step.labels = true;
                step.info = kDownloadingText + PackageSpeedText(record->speed);
                step.remain = PackageTimeLeftText(left, style);
            }
            return step;
        }
        default:
            return step;
    }
}

}  // namespace qnb::ui
