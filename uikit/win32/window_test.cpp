// The framework's Win32 side under Wine: native text boxes, the combo's
// list, modal runs, drop shadows, the caption band, Esc.
#include "uikit/automation/automation.h"
#include "uikit/controls/combo.h"
#include "uikit/controls/rich_edit.h"
#include "uikit/controls/tab_layout.h"
#include "uikit/win32/framework.h"
#include "uikit/win32/message_loop.h"
#include "uikit/win32/window_impl_base.h"

#include "uikit/test_support/script_win32.h"

#include <gtest/gtest.h>

#include <functional>

namespace uikit {
namespace {

class TestWindow : public WindowImplBase {
public:
    std::string GetWindowClassName() const override { return "QnbTestWindow"; }
    std::string GetSkinFile() const override { return "test.xml"; }
    void Notify(TNotifyUI& msg) override { log.push_back(msg.sender->GetName() + ":" + msg.type); }
    std::vector<std::string> log;
};

using test::Script;

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Click(WindowImplBase& window, const char* name) {
    automation::ClickTarget target = automation::FindClickTarget(window.Tree(), *window.FindControl(name));
    ASSERT_EQ(target.problem, "");
    automation::Click(window.Tree(), target);
}

class FrameworkWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The test skin is resource 901 of this program.
        HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(901), L"ZIPRES");
        ASSERT_NE(found, nullptr);
        HGLOBAL loaded = LoadResource(nullptr, found);
        ASSERT_TRUE(Framework::LoadSkin(static_cast<const uint8_t*>(LockResource(loaded)),
                                        SizeofResource(nullptr, found)));
    }
    static void TearDownTestSuite() { Framework::Initialise(GetModuleHandleW(nullptr)); }

    void Open(TestWindow& window, HWND owner = nullptr) {
        ASSERT_TRUE(window.Create(owner, "测试", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 100, 100));
        EXPECT_EQ(window.LayoutProblems(), std::vector<std::string>{});
        window.ShowWindow(true, true);
        Pump();
    }
};

TEST_F(FrameworkWindows, ARichEditIsANativeTextBox) {
    TestWindow window;
    Open(window);
    auto* edit = window.Find<CRichEditUI>("edit");
    HWND box = FindWindowExW(window.GetHWND(), nullptr, L"EDIT", nullptr);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(IsWindowVisible(box));
    wchar_t text[64];
    GetWindowTextW(box, text, 64);
    EXPECT_STREQ(text, L"\x8D77\x521D") << "the layout's text (起初)";
    RECT rc;
    GetWindowRect(box, &rc);
    MapWindowPoints(nullptr, window.GetHWND(), reinterpret_cast<POINT*>(&rc), 2);
    Rect expected = edit->GetPos().Deflate(edit->GetInset());
    EXPECT_EQ((Rect{rc.left, rc.top, rc.right, rc.bottom}), expected);

    // Typing in the box (as an input method delivers its characters) reaches the control.
    SendMessageW(box, EM_SETSEL, 2, 2);
    SendMessageW(box, WM_CHAR, 0x597D, 1);  // 好
    Pump();
    EXPECT_EQ(edit->GetText(), "起初好");
    EXPECT_EQ(window.log, std::vector<std::string>{"edit:textchanged"});

    // Set by the program: no change of the user's.
    window.log.clear();
    edit->SetText("改过");
    GetWindowTextW(box, text, 64);
    EXPECT_STREQ(text, L"\x6539\x8FC7");
    EXPECT_EQ(window.log, std::vector<std::string>{});

    // Clicking into the box gives the control the focus.
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Pump();
    EXPECT_EQ(window.Tree().Focus(), edit);
    EXPECT_EQ(window.log, std::vector<std::string>{"edit:setfocus"});

    // On a hidden page the box hides too.
    window.Find<CTabLayoutUI>("tab")->SelectItem(1);
    window.Tree().LayoutIfNeeded();
    EXPECT_FALSE(IsWindowVisible(box));
}

TEST_F(FrameworkWindows, TheComboListsItsItemsBelowIt) {
    TestWindow window;
    Open(window);
    auto* combo = window.Find<CComboUI>("combo");
    RECT popupRect{};
    Script choose([&] {
        HWND popup = FindWindowW(L"QnbComboPopup", nullptr);
        if (!popup || !IsWindowVisible(popup)) return false;
        GetWindowRect(popup, &popupRect);
        PostMessageW(popup, WM_MOUSEMOVE, 0, MAKELPARAM(20, 28 + 14));
        PostMessageW(popup, WM_LBUTTONUP, 0, MAKELPARAM(20, 28 + 14));
        return true;
    });
    Click(window, "combo");
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->GetText(), "D:");
    EXPECT_EQ(window.log.back(), "combo:itemselect");
    POINT below{combo->GetPos().left, combo->GetPos().bottom};
    ClientToScreen(window.GetHWND(), &below);
    EXPECT_EQ(popupRect.left, below.x);
    EXPECT_EQ(popupRect.top, below.y + 2);
    EXPECT_EQ(popupRect.bottom - popupRect.top, 3 * 28 + 2);
    EXPECT_EQ(FindWindowW(L"QnbComboPopup", nullptr), nullptr) << "the list is gone";
}

TEST_F(FrameworkWindows, AModalRunReturnsItsCodeWithTheOwnerDisabledMeanwhile) {
    TestWindow owner;
    Open(owner);
    TestWindow dialog;
    ASSERT_TRUE(dialog.Create(owner.GetHWND(), "对话", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0));
    bool ownerDisabled = false;
    Script close([&] {
        ownerDisabled = !IsWindowEnabled(owner.GetHWND());
        dialog.Close(7);
        return true;
    });
    EXPECT_EQ(dialog.ShowModal(), 7u);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner.GetHWND()));
    EXPECT_EQ(dialog.GetHWND(), nullptr) << "the window is gone";

    // Esc closes a window that does not filter it, as cancelled.
    TestWindow escaped;
    ASSERT_TRUE(escaped.Create(owner.GetHWND(), "对话", WS_POPUP, 0));
    Script escape([&] {
        PostMessageW(escaped.GetHWND(), WM_KEYDOWN, VK_ESCAPE, 1);
        return true;
    });
    EXPECT_EQ(escaped.ShowModal(), static_cast<UINT>(IDCANCEL));
}

TEST_F(FrameworkWindows, TheShadowLiesAroundItsWindowAndHidesWithIt) {
    TestWindow window;
    ShadowSettings shadow;
    shadow.darkness = 40;
    shadow.sharpness = 11;
    shadow.size = 11;
    window.SetShadow(shadow);
    Open(window);
    HWND layer = FindWindowW(L"QnbShadow", nullptr);
    ASSERT_NE(layer, nullptr);
    EXPECT_TRUE(IsWindowVisible(layer));
    EXPECT_TRUE(GetWindowLongW(layer, GWL_EXSTYLE) & WS_EX_TRANSPARENT) << "clicks go through it";
    RECT w, s;
    GetWindowRect(window.GetHWND(), &w);
    GetWindowRect(layer, &s);
    EXPECT_EQ((Rect{s.left, s.top, s.right, s.bottom}), (Rect{w.left - 11, w.top - 11, w.right + 11, w.bottom + 11}));
    SetWindowPos(window.GetHWND(), nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    GetWindowRect(layer, &s);
    EXPECT_EQ(s.left, 300 - 11);
    window.ShowWindow(false);
    EXPECT_FALSE(IsWindowVisible(layer));
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(window.GetHWND(), region), COMPLEXREGION) << "rounded corners";
    DeleteObject(region);
}

TEST_F(FrameworkWindows, TheCaptionBandDragsExceptOverButtons) {
    TestWindow window;
    Open(window);
    auto hit = [&](int x, int y) {
        POINT pt{x, y};
        ClientToScreen(window.GetHWND(), &pt);
        return SendMessageW(window.GetHWND(), WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
    };
    EXPECT_EQ(hit(100, 20), HTCAPTION);
    EXPECT_EQ(hit(380, 20), HTCLIENT) << "the close button";
    EXPECT_EQ(hit(100, 200), HTCLIENT);
    RECT client;
    GetClientRect(window.GetHWND(), &client);
    EXPECT_EQ(client.right, 400) << "no system frame: the layout's size is the client area";
    EXPECT_EQ(client.bottom, 300);
}

}  // namespace
}  // namespace uikit
