// The installer's owner as a window, under Wine: what a worker tells it
// arrives on the window's thread in the order it was told, questions wait
// for the window's answer or a stop, and a window of the UI framework
// shows it in its controls, the countdown and the error window.
#include "installer/installer_window_win32.h"

#include "installer/owner_window_win32.h"
#include "jobs/window_messages.h"
#include "ui/show_picture_dlg.h"
#include "ui/test_support/shared_windows_win32.h"
#include "ui/window_styles.h"
#include "uikit/controls/label.h"
#include "uikit/test_support/script_win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace qnb::installer::win32 {
namespace {

// Writes down what the window was told, one line each.
class RecordingWindow : public InstallerWindow {
public:
    void SetControlText(const std::string& c, const std::string& t) override { lines.push_back("text " + c + "=" + t); }
    void SetControlValue(const std::string& c, int v) override { lines.push_back("value " + c + "=" + std::to_string(v)); }
    void SetControlTextColor(const std::string& c, uint32_t argb) override {
        lines.push_back("color " + c + "=" + std::to_string(argb));
    }
    void StartTimer(unsigned id, unsigned ms) override {
        lines.push_back("timer " + std::to_string(id) + " " + std::to_string(ms));
    }
    void StopTimer(unsigned id) override { lines.push_back("stop " + std::to_string(id)); }
    void ShowFatalError(const std::string& t) override { lines.push_back("fatal " + t); }
    void PrepareRestore() override { lines.push_back("prepare"); }
    void HandOverBackup() override { lines.push_back("hand over"); }
    CountdownResult RunCountdown() override {
        lines.push_back("countdown");
        return CountdownResult::kRestartNow;
    }
    Answer AskYesNo(const std::string& caption, const std::string& t) override {
        lines.push_back("ask " + caption + "|" + t);
        return Answer::kNo;
    }
    std::vector<std::string> lines;
};

// A message-only window whose procedure hands the installer's messages to a RecordingWindow.
class MessageWindow {
public:
    MessageWindow() {
        WNDCLASSW cls{};
        cls.lpfnWndProc = Procedure;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"qnb_installer_test";
        RegisterClassW(&cls);
        hwnd = CreateWindowW(L"qnb_installer_test", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, cls.hInstance, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&window));
    }
    ~MessageWindow() {
        if (IsWindow(hwnd)) DestroyWindow(hwnd);
    }
    // Handles messages until done is true (or 10 s passed).
    void PumpUntil(const std::function<bool()>& done) {
        DWORD end = GetTickCount() + 10000;
        while (!done() && GetTickCount() < end) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* window = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (window && HandleInstallerMessage(msg, wParam, lParam, *window)) return 0;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    HWND hwnd = nullptr;
    RecordingWindow window;
};

TEST(WindowInstallerOwner, TheWindowHearsEverythingInOrderOnItsOwnThread) {
    MessageWindow target;
    WindowInstallerOwner owner(target.hwnd, [] { return true; }, [] { return 4; });
    StopSource stop;
    std::atomic<bool> done{false};
    Answer answer = Answer::kNone;
    CountdownResult countdown = CountdownResult::kLater;
    std::thread worker([&] {
        owner.StartTimer(999, 500);
        owner.SetValue("circle_progress", 100);
        owner.SetText("circle_progress", "完成");
        owner.SetTextColor("lab_warning", 0xFF000000);
        owner.FatalError("关键文件丢失\r\n请重试");
        owner.PrepareRestore();
        answer = owner.AskYesNo("完成", "是否立即重启", stop.Token());
        countdown = owner.AskCountdown(stop.Token());
        owner.HandOverBackup();
        owner.StopTimer(999);
        done = true;
    });
    target.PumpUntil([&] { return done && target.window.lines.size() == 10; });
    worker.join();
    EXPECT_EQ(target.window.lines, (std::vector<std::string>{
                                       "timer 999 500",
                                       "value circle_progress=100",
                                       "text circle_progress=完成",
                                       "color lab_warning=4278190080",
                                       "fatal 关键文件丢失\r\n请重试",
                                       "prepare",
                                       "ask 完成|是否立即重启",
                                       "countdown",
                                       "hand over",
                                       "stop 999",
                                   }));
    EXPECT_EQ(answer, Answer::kNo);
    EXPECT_EQ(countdown, CountdownResult::kRestartNow);
    EXPECT_TRUE(owner.RestartWhenFinished());
    EXPECT_EQ(owner.BackupErrorCount(), 4);
}

TEST(WindowInstallerOwner, AStopEndsAWaitForAnAnswer) {
    MessageWindow target;
    WindowInstallerOwner owner(target.hwnd, nullptr, nullptr);
    StopSource stop;
    std::atomic<bool> asked{false};
    Answer answer = Answer::kYes;
    std::thread worker([&] {
        asked = true;
        answer = owner.AskYesNo("完成", "是否立即重启", stop.Token());
    });
    while (!asked) std::this_thread::yield();
    stop.RequestStop();  // the window never looked at its queue
    worker.join();
    EXPECT_EQ(answer, Answer::kNone);
    // The question still queued is answered to nobody and freed.
    target.PumpUntil([&] { return target.window.lines.size() == 1; });
    EXPECT_EQ(target.window.lines, std::vector<std::string>{"ask 完成|是否立即重启"});
    EXPECT_FALSE(owner.RestartWhenFinished());
    EXPECT_EQ(owner.BackupErrorCount(), 0);
}

TEST(WindowInstallerOwner, AWindowThatIsGoneAnswersNothing) {
    HWND gone;
    {
        MessageWindow target;
        gone = target.hwnd;
    }
    WindowInstallerOwner owner(gone, nullptr, nullptr);
    StopSource stop;
    owner.SetText("time_remain", "x");
    owner.FatalError("x");
    EXPECT_EQ(owner.AskYesNo("完成", "x", stop.Token()), Answer::kNone);
    EXPECT_EQ(owner.AskCountdown(stop.Token()), CountdownResult::kLater);
}

}  // namespace
}  // namespace qnb::installer::win32

namespace qnb::ui::test {
namespace {

using installer::Answer;
using installer::CountdownResult;
using installer::win32::OwnerWindow;
using uikit::test::Script;

// The restart countdown's window stands in for an owner: its ring is a
// progress control with a text, as the wizard's "circle_progress" is.
TEST_F(SharedWindows, AnOwnerWindowShowsTheInstallersNews) {
    SecurityDetector detector(probe);
    CShowPictureDlg owner;
    ASSERT_TRUE(owner.Create(nullptr, "showpicture", kWindowStyle, WS_EX_WINDOWEDGE));
    owner.StartCountdown();
    int restored = 0;
    OwnerWindow window(owner, desktop, detector, {[&] { ++restored; }, nullptr});

    window.SetControlValue("pedownload_progress", 100);
    window.SetControlText("pedownload_progress", "完成");
    window.SetControlTextColor("pedownload_progress", 0xFF000000);
    Json::Value ring = Control(owner, "pedownload_progress");
    EXPECT_EQ(ring["value"].asInt(), 100);
    EXPECT_EQ(ring["text"].asString(), "完成");
    EXPECT_EQ(dynamic_cast<uikit::CLabelUI*>(owner.FindControl("pedownload_progress"))->GetTextColor(), 0xFF000000u);
    window.SetControlText("no_such_control", "x");  // nothing to change, nothing breaks
    window.PrepareRestore();
    window.HandOverBackup();
    EXPECT_EQ(restored, 1);

    desktop.answer = IDYES;
    EXPECT_EQ(window.AskYesNo("完成", "准备工作已全部完成，是否立即重启"), Answer::kYes);
    EXPECT_EQ(desktop.messages, std::vector<std::string>{"完成|准备工作已全部完成，是否立即重启"});

    std::string shown;
    Script ok([&] {
        uikit::WindowImplBase* lost = Open("LostFile");
        if (!lost) return false;
        shown = Control(*lost, "msg1")["text"].asString() + "|" + Control(*lost, "msg2")["text"].asString();
        return Click(*lost, "btn_ok");
    });
    window.ShowFatalError("关键文件丢失，无法继续\r\n请关闭杀毒并重启本软件后重试!");
    EXPECT_EQ(shown, "关键文件丢失，无法继续|请关闭杀毒并重启本软件后重试!");

    for (const char* button : {"btn_cancle", "btn_reboot"}) {
        Script press([&] {
            // The owner's own window is of the same class: the countdown is the newer one.
            uikit::WindowImplBase* countdown = Open("showpicture");
            return countdown && countdown != &owner && Click(*countdown, button);
        });
        EXPECT_EQ(window.RunCountdown(), std::string(button) == "btn_reboot" ? CountdownResult::kRestartNow
                                                                            : CountdownResult::kLater);
    }
}

}  // namespace
}  // namespace qnb::ui::test
