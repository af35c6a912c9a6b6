// The restart countdown and the picture view, under Wine.
// The fixture and helpers: ui/test_support/shared_windows_win32.h.
#include "ui/show_picture_dlg.h"

#include "ui/test_support/shared_windows_win32.h"
#include "ui/window_styles.h"
#include "uikit/test_support/script_win32.h"

namespace qnb::ui::test {
namespace {

using uikit::test::Script;

TEST_F(SharedWindows, RestartCountdownTicks) {
    CShowPictureDlg dialog;
    ASSERT_TRUE(dialog.Create(nullptr, "showpicture", kWindowStyle, WS_EX_WINDOWEDGE));
    EXPECT_EQ(dialog.LayoutProblems(), std::vector<std::string>{});
    dialog.StartCountdown();
    EXPECT_EQ(Control(dialog, "pic_tab")["value"].asInt(), 1);
    Json::Value ring = Control(dialog, "pedownload_progress");
    EXPECT_EQ(ring["type"].asString(), "CXProgress");
    EXPECT_EQ(ring["text"].asString(), "30秒后重启");
    EXPECT_EQ(ring["max"].asInt(), 120);

    for (int i = 0; i < 5; ++i) dialog.DeliverTimer(RebootCountdown::kTimerId);
    ring = Control(dialog, "pedownload_progress");
    EXPECT_EQ(ring["text"].asString(), "28秒后重启");
    EXPECT_EQ(ring["value"].asInt(), 5);
    dialog.DeliverTimer(1);  // another timer does not count
    dialog.DeliverTimer(322);
    EXPECT_EQ(Control(dialog, "pedownload_progress")["value"].asInt(), 5);

    // A click on the background does not end a countdown.
    SendMessageW(dialog.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Pump(30);
    ASSERT_TRUE(IsWindow(dialog.GetHWND()));

    for (int i = 5; i < 120; ++i) dialog.DeliverTimer(RebootCountdown::kTimerId);
    ring = Control(dialog, "pedownload_progress");
    EXPECT_EQ(ring["text"].asString(), "0秒后重启");
    EXPECT_EQ(ring["value"].asInt(), 120);
    Script lastTick([&] {
        dialog.DeliverTimer(RebootCountdown::kTimerId);
        return true;
    });
    EXPECT_EQ(dialog.ShowModal(), 1u) << "the 121st tick restarts";
}

// Only the end of the count and "立即重启" mean a restart: a countdown that
// cannot be shown leaves the question to the caller's message box, and one
// closed by the system (Alt+F4) counts as "later".
TEST_F(SharedWindows, ACountdownThatIsNotAnsweredIsNoRestart) {
    HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(gone);
    DestroyWindow(gone);  // an owner that no longer exists: the window cannot be made
    EXPECT_EQ(CShowPictureDlg::RunCountdown(gone), CShowPictureDlg::kCountdownNoAnswer);

    Script closed([&] {
        uikit::WindowImplBase* countdown = Open("showpicture");
        if (!countdown) return false;
        PostMessageW(countdown->GetHWND(), WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4
        return true;
    });
    EXPECT_EQ(CShowPictureDlg::RunCountdown(nullptr), CShowPictureDlg::kRestartLater);
}

TEST_F(SharedWindows, RestartCountdownButtonsAndPictureView) {
    struct Case {
        const char* button;
        UINT result;
    } cases[] = {{"btn_reboot", 1}, {"btn_cancle", 2}};
    for (const Case& c : cases) {
        CShowPictureDlg dialog;
        ASSERT_TRUE(dialog.Create(nullptr, "showpicture", kWindowStyle, WS_EX_WINDOWEDGE));
        dialog.StartCountdown();
        Script press([&] { return Click(dialog, c.button); });
        EXPECT_EQ(dialog.ShowModal(), c.result) << c.button;
    }
    CShowPictureDlg picture;
    picture.SetPicture("Z:\\no\\such\\picture.jpg");
    ASSERT_TRUE(picture.Create(nullptr, "showpicture", kWindowStyle, WS_EX_WINDOWEDGE));
    EXPECT_EQ(Control(picture, "pic_tab")["value"].asInt(), 0);
    EXPECT_EQ(Control(picture, "image_layout")["bkimage"].asString(), "Z:\\no\\such\\picture.jpg");
    RECT rc;
    GetWindowRect(picture.GetHWND(), &rc);
    EXPECT_EQ(rc.right - rc.left, GetSystemMetrics(SM_CXSCREEN)) << "the whole screen";
    Script click([&] {
        PostMessageW(picture.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
        return true;
    });
    EXPECT_EQ(picture.ShowModal(), 1u) << "a click anywhere closes the picture";
}

}  // namespace
}  // namespace qnb::ui::test
