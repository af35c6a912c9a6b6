// For Windows tests of windows: runs a step on the test's thread every 10 ms,
// inside whatever message loop runs (a modal window's), until it returns true.
#pragma once

#include <windows.h>

#include <functional>

namespace uikit::test {

class Script {
public:
    explicit Script(std::function<bool()> step) {
        Step() = std::move(step);
        id_ = SetTimer(nullptr, 0, 10, Fire);
    }
    ~Script() {
        KillTimer(nullptr, id_);
        Step() = nullptr;
    }
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

private:
    static std::function<bool()>& Step() {
        static std::function<bool()> step;
        return step;
    }
    static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD) {
        if (Step() && Step()()) Step() = nullptr;
    }
    UINT_PTR id_;
};

}  // namespace uikit::test
