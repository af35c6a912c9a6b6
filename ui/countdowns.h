// The two countdowns of the shared windows: the warning window's five
// seconds before its button can be pressed, and the restart countdown's
// thirty seconds in quarter-second ticks.
#pragma once

#include <string>

namespace qnb::ui {

// The warning's counter belongs to the process: it runs down on the first
// showing only and is never reset.
class WaringCountdown {
public:
    static constexpr int kSeconds = 5;
    int Remaining() const { return remaining_; }
    // One second passed; returns the new value (never below 0).
    int Tick();
    // btn_iknow's text for a value: "我知道了(5)" … "我知道了(1)", then "我知道了".
    static std::string ButtonText(int remaining);

private:
    int remaining_ = kSeconds;
};

// The restart countdown: a counter of quarter seconds from 120.
class RebootCountdown {
public:
    static constexpr int kTicks = 120;
    static constexpr unsigned kTimerId = 2;
    static constexpr unsigned kTimerMs = 250;

    struct Step {
        std::string text;  // "%d秒后重启" of the counter / 4
        int value = 0;     // progress value: 120 - counter
        bool done = false; // the counter fell below 0: restart now
    };
    int Counter() const { return counter_; }
    Step Tick();

private:
    int counter_ = kTicks;
};

}  // namespace qnb::ui
