// The reinstall wizard's texts for speeds, sizes, time left and network
// retries. Speeds and sizes are divided in single precision (the count as a
// float over a float power of two) and printed with one decimal; the
// time-left parts are integer divisions.
#pragma once

#include <cstdint>
#include <string>

namespace qnb::ui {

// "%dB/S" up to 1024, "%0.1fKB/S" up to 1048576, "%0.1fMB/S" above.
std::string FormatSpeed(int32_t bytesPerSecond);
// "%0.1fGB" above 1073741824, else "%0.1fMB".
std::string FormatTotalSize(uint64_t bytes);
// "%0.1fGB", "%0.1fMB", "%0.1fKB" above a GiB, MiB, KiB; else "%lldB".
std::string FormatDoneSize(uint64_t bytes);
// "downloaded/total": FormatDoneSize, then FormatTotalSize.
std::string FormatSizePair(uint64_t done, uint64_t total);
// "剩余：计算中..." beyond three hours; hours, minutes and seconds; minutes
// and seconds; or seconds. Shown only for a positive time.
std::string FormatTimeLeft(int32_t seconds);

// "网络异常，正在进行第%d次重试" with as many dots after it as dots says.
std::string RetryText(int32_t retries, int dots);

// The dots after the retry text: 1, 2, 3, 0, 1 ... one step per use. Each
// wizard has its own, so a new wizard starts at one dot again.
class RetryDots {
public:
    // The count for this use; the next use gets the following one.
    int Next();

private:
    int dots_ = 1;
};

}  // namespace qnb::ui
