#include "installer/installer_window_win32.h"

#include "jobs/posted_text.h"
#include "jobs/window_messages.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

namespace qnb::installer::win32 {

static_assert(kWmUser == WM_USER);

namespace {

struct Update {
    enum Kind { kText, kValue, kColor, kStartTimer, kStopTimer, kPrepareRestore, kHandOverBackup } kind;
    std::string control;
    std::string text;
    int64_t value = 0;
};

enum QuestionKind { kCountdown = 1, kYesNo = 2 };

// One question between the worker and the window: answered once, by the
// window, or by a stop or a post that failed.
struct Question {
    int kind = kYesNo;
    std::string caption;
    std::string text;

    void Give(int value) {
        std::lock_guard<std::mutex> lock(mutex);
        if (answer) return;
        answer = value;
        answered.notify_all();
    }
    int Wait() {
        std::unique_lock<std::mutex> lock(mutex);
        answered.wait(lock, [&] { return answer.has_value(); });
        return *answer;
    }

    std::mutex mutex;
    std::condition_variable answered;
    std::optional<int> answer;
};

using SharedQuestion = std::shared_ptr<Question>;

void Post(HWND window, Update* update) {
    // A window that is gone gets nothing; the update is not kept for it.
    if (!PostMessageW(window, WM_INSTALLER_UPDATE, 0, reinterpret_cast<LPARAM>(update))) delete update;
}

}  // namespace

WindowInstallerOwner::WindowInstallerOwner(HWND window, std::function<bool()> restartWhenFinished,
                                           std::function<int()> backupErrorCount)
    : window_(window),
      restartWhenFinished_(std::move(restartWhenFinished)),
      backupErrorCount_(std::move(backupErrorCount)) {}

void WindowInstallerOwner::SetText(const std::string& control, const std::string& text) {
    Post(window_, new Update{Update::kText, control, text});
}

void WindowInstallerOwner::SetValue(const std::string& control, int value) {
    Post(window_, new Update{Update::kValue, control, "", value});
}

void WindowInstallerOwner::SetTextColor(const std::string& control, uint32_t argb) {
    Post(window_, new Update{Update::kColor, control, "", argb});
}

void WindowInstallerOwner::StartTimer(unsigned id, unsigned milliseconds) {
    Post(window_, new Update{Update::kStartTimer, "", "", static_cast<int64_t>(id) << 32 | milliseconds});
}

void WindowInstallerOwner::StopTimer(unsigned id) { Post(window_, new Update{Update::kStopTimer, "", "", id}); }

void WindowInstallerOwner::PrepareRestore() { Post(window_, new Update{Update::kPrepareRestore}); }

void WindowInstallerOwner::HandOverBackup() { Post(window_, new Update{Update::kHandOverBackup}); }

void WindowInstallerOwner::FatalError(const std::string& text) {
    uintptr_t heapText = NewPostedText(text);
    if (!PostMessageW(window_, WM_FATAL_ERROR, heapText, 0)) DropPostedText(heapText);
}

int WindowInstallerOwner::Ask(int kind, const std::string& caption, const std::string& text, const StopToken& stop,
                              int unanswered) {
    auto question = std::make_shared<Question>();
    question->kind = kind;
    question->caption = caption;
    question->text = text;
    auto* carried = new SharedQuestion(question);
    if (!PostMessageW(window_, WM_INSTALLER_QUESTION, 0, reinterpret_cast<LPARAM>(carried))) {
        delete carried;
        return unanswered;
    }
    // A stop (the window closing with the question still queued) ends the wait.
    StopCallback onStop(stop, [question, unanswered] { question->Give(unanswered); });
    return question->Wait();
}

CountdownResult WindowInstallerOwner::AskCountdown(const StopToken& stop) {
    int answer = Ask(kCountdown, "", "", stop, static_cast<int>(CountdownResult::kLater));
    return answer == static_cast<int>(CountdownResult::kRestartNow) ? CountdownResult::kRestartNow
                                                                    : CountdownResult::kLater;
}

Answer WindowInstallerOwner::AskYesNo(const std::string& caption, const std::string& text, const StopToken& stop) {
    return static_cast<Answer>(Ask(kYesNo, caption, text, stop, static_cast<int>(Answer::kNone)));
}

bool WindowInstallerOwner::RestartWhenFinished() { return restartWhenFinished_ && restartWhenFinished_(); }

int WindowInstallerOwner::BackupErrorCount() { return backupErrorCount_ ? backupErrorCount_() : 0; }

bool HandleInstallerMessage(UINT message, WPARAM wParam, LPARAM lParam, InstallerWindow& window) {
    if (message == WM_INSTALLER_UPDATE) {
        std::unique_ptr<Update> update(reinterpret_cast<Update*>(lParam));
        if (!update) return true;
        switch (update->kind) {
            case Update::kText: window.SetControlText(update->control, update->text); break;
            case Update::kValue: window.SetControlValue(update->control, static_cast<int>(update->value)); break;
            case Update::kColor: window.SetControlTextColor(update->control, static_cast<uint32_t>(update->value)); break;
            case Update::kStartTimer:
                window.StartTimer(static_cast<unsigned>(update->value >> 32), static_cast<unsigned>(update->value));
                break;
            case Update::kStopTimer: window.StopTimer(static_cast<unsigned>(update->value)); break;
            case Update::kPrepareRestore: window.PrepareRestore(); break;
            case Update::kHandOverBackup: window.HandOverBackup(); break;
        }
        return true;
    }
    if (message == WM_INSTALLER_QUESTION) {
        std::unique_ptr<SharedQuestion> carried(reinterpret_cast<SharedQuestion*>(lParam));
        if (!carried) return true;
        Question& question = **carried;
        if (question.kind == kCountdown) {
            question.Give(static_cast<int>(window.RunCountdown()));
        } else {
            question.Give(static_cast<int>(window.AskYesNo(question.caption, question.text)));
        }
        return true;
    }
    if (message == WM_FATAL_ERROR) {
        window.ShowFatalError(TakePostedText(wParam));
        return true;
    }
    return false;
}

}  // namespace qnb::installer::win32
