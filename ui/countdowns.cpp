#include "ui/countdowns.h"

namespace qnb::ui {

int WaringCountdown::Tick() {
    if (remaining_ > 0) --remaining_;
    return remaining_;
}

std::string WaringCountdown::ButtonText(int remaining) {
    if (remaining <= 0) return "我知道了";
    return "我知道了(" + std::to_string(remaining) + ")";
}

RebootCountdown::Step RebootCountdown::Tick() {
    --counter_;
    Step step;
    step.text = std::to_string(counter_ / 4) + "秒后重启";
    step.value = kTicks - counter_;
    step.done = counter_ < 0;
    return step;
}

}  // namespace qnb::ui
