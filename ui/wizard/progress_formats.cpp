#include "ui/wizard/progress_formats.h"

#include <cstdio>

namespace qnb::ui {

namespace {

constexpr float kKiB = 1024.0f;
constexpr float kMiB = 1048576.0f;
constexpr float kGiB = 1073741824.0f;

std::string OneDecimal(float value, const char* unit) {
    char text[64];
    std::snprintf(text, sizeof text, "%0.1f%s", static_cast<double>(value), unit);
    return text;
}

}  // namespace

std::string FormatSpeed(int32_t v) {
    if (v <= 1024) return std::to_string(v) + "B/S";
    if (v <= 1048576) return OneDecimal(static_cast<float>(v) / kKiB, "KB/S");
    return OneDecimal(static_cast<float>(v) / kMiB, "MB/S");
}

std::string FormatTotalSize(uint64_t n) {
    if (n > 1073741824u) return OneDecimal(static_cast<float>(n) / kGiB, "GB");
    return OneDecimal(static_cast<float>(n) / kMiB, "MB");
}

std::string FormatDoneSize(uint64_t n) {
    if (n > 1073741824u) return OneDecimal(static_cast<float>(n) / kGiB, "GB");
    if (n > 1048576u) return OneDecimal(static_cast<float>(n) / kMiB, "MB");
    if (n > 1024u) return OneDecimal(static_cast<float>(n) / kKiB, "KB");
    return std::to_string(n) + "B";
}

std::string FormatSizePair(uint64_t done, uint64_t total) { return FormatDoneSize(done) + "/" + FormatTotalSize(total); }

std::string FormatTimeLeft(int32_t t) {
    const int32_t h = t / 3600;
    const int32_t m = (t % 3600) / 60;
    const int32_t s = t % 60;
    char text[96];
    if (h > 3) return "剩余：计算中...";
    if (h >= 1) {
        std::snprintf(text, sizeof text, "剩余：%d小时%d分%d秒", h, m, s);
    } else if (h == 0 && m > 0) {
        std::snprintf(text, sizeof text, "剩余：%d分%d秒", m, s);
    } else {
        std::snprintf(text, sizeof text, "剩余：%d秒", s);
    }
    return text;
}

std::string RetryText(int32_t retries, int dots) {
    return "网络异常，正在进行第" + std::to_string(retries) + "次重试" + std::string(dots > 0 ? dots : 0, '.');
}

int RetryDots::Next() {
    const int now = dots_;
    dots_ = dots_ >= 3 ? 0 : dots_ + 1;
    return now;
}

}  // namespace qnb::ui
