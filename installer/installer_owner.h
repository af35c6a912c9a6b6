// The window that runs the installer, as the installer sees it. Every call
// comes from the installer's worker; an owner that is a window applies the
// changes on its own thread, in the order they were made
// (installer/installer_window_win32.h).
#pragma once

#include "jobs/stop_token.h"

#include <cstdint>
#include <string>

namespace qnb::installer {

enum class CountdownResult { kRestartNow = 1, kLater = 2 };
// A Yes/No question's answer; kNone when it was not answered (stopped).
enum class Answer { kYes, kNo, kNone };

class PeInstallerOwner {
public:
    virtual ~PeInstallerOwner() = default;

    // A control of the owner's layout, by name.
    virtual void SetText(const std::string& control, const std::string& text) = 0;
    virtual void SetValue(const std::string& control, int value) = 0;
    virtual void SetTextColor(const std::string& control, uint32_t argb) = 0;
    // The owner's window timer (999: the reinstall wizard's animation).
    virtual void StartTimer(unsigned id, unsigned milliseconds) = 0;
    virtual void StopTimer(unsigned id) = 0;
    // WM_FATAL_ERROR with the text: the owner shows it in the error window.
    virtual void FatalError(const std::string& text) = 0;

    // The restore window's preparation step: Option 2 and the chosen
    // backup's image in SETTING.JSON.
    virtual void PrepareRestore() = 0;
    // The backup window's finishing step: it records the backup and asks for the restart.
    virtual void HandOverBackup() = 0;

    // Questions, modal to the owner; the worker waits for the answer. A
    // stop ends the wait with kLater or kNone.
    virtual CountdownResult AskCountdown(const StopToken& stop) = 0;
    virtual Answer AskYesNo(const std::string& caption, const std::string& text, const StopToken& stop) = 0;

    // The reinstall wizard's restart-when-finished box and its count of
    // user-file backup errors, read when the ending needs them.
    virtual bool RestartWhenFinished() = 0;
    virtual int BackupErrorCount() = 0;
};

}  // namespace qnb::installer
