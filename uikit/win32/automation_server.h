// The automation channel's end inside a program (test and demo builds
// only): a message-only window that takes requests from qnbdiag as
// WM_COPYDATA and works on the program's framework windows on their own
// thread. Requests that change something are answered first and carried
// out right after, so that a window they open can run its own loop.
#pragma once

#include <windows.h>

namespace uikit::automation {

constexpr wchar_t kServerClass[] = L"QnbUiAutomation";
constexpr ULONG_PTR kRequest = 0x51554931;  // "QUI1"
constexpr ULONG_PTR kReply = 0x51554932;    // "QUI2"

void StartServer();
void StopServer();

// While held, window timers do not fire; ticks are given through the channel.
bool TimersHeld();
void HoldTimers(bool hold);

}  // namespace uikit::automation
