// The installer's owner when the owner is a window: every update is posted
// to the window's thread (WM_INSTALLER_UPDATE, WM_FATAL_ERROR with a heap
// text), so the window applies them on its own thread in the order the
// installer made them. A question is posted the same way, behind the
// updates before it, and the worker waits for the window's answer (or for
// a stop).
#pragma once

#include "installer/installer_owner.h"

#include <windows.h>

#include <functional>
#include <string>

namespace qnb::installer::win32 {

// What the owner window does with the installer's news, on its own thread.
class InstallerWindow {
public:
    virtual ~InstallerWindow() = default;
    virtual void SetControlText(const std::string& control, const std::string& text) = 0;
    virtual void SetControlValue(const std::string& control, int value) = 0;
    virtual void SetControlTextColor(const std::string& control, uint32_t argb) = 0;
    virtual void StartTimer(unsigned id, unsigned milliseconds) = 0;
    virtual void StopTimer(unsigned id) = 0;
    virtual void ShowFatalError(const std::string& text) = 0;
    virtual void PrepareRestore() = 0;
    virtual void HandOverBackup() = 0;
    // Modal over the window: the restart countdown (CShowPictureDlg) and a Yes/No message box.
    virtual CountdownResult RunCountdown() = 0;
    virtual Answer AskYesNo(const std::string& caption, const std::string& text) = 0;
};

class WindowInstallerOwner : public PeInstallerOwner {
public:
    // The two readers are called on the installer's thread: they must be safe there.
    WindowInstallerOwner(HWND window, std::function<bool()> restartWhenFinished,
                         std::function<int()> backupErrorCount);

    void SetText(const std::string& control, const std::string& text) override;
    void SetValue(const std::string& control, int value) override;
    void SetTextColor(const std::string& control, uint32_t argb) override;
    void StartTimer(unsigned id, unsigned milliseconds) override;
    void StopTimer(unsigned id) override;
    void FatalError(const std::string& text) override;
    void PrepareRestore() override;
    void HandOverBackup() override;
    CountdownResult AskCountdown(const StopToken& stop) override;
    Answer AskYesNo(const std::string& caption, const std::string& text, const StopToken& stop) override;
    bool RestartWhenFinished() override;
    int BackupErrorCount() override;

private:
    int Ask(int kind, const std::string& caption, const std::string& text, const StopToken& stop, int unanswered);

    HWND window_;
    std::function<bool()> restartWhenFinished_;
    std::function<int()> backupErrorCount_;
};

// For the window procedure: applies WM_INSTALLER_UPDATE, answers
// WM_INSTALLER_QUESTION and shows WM_FATAL_ERROR, freeing what they carry.
// False for every other message.
bool HandleInstallerMessage(UINT message, WPARAM wParam, LPARAM lParam, InstallerWindow& window);

}  // namespace qnb::installer::win32
