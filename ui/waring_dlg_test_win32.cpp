// The notice before an action, under Wine.
// The fixture and helpers: ui/test_support/shared_windows_win32.h.
#include "ui/waring_dlg.h"

#include "ui/test_support/shared_windows_win32.h"
#include "ui/window_styles.h"
#include "uikit/test_support/script_win32.h"

namespace qnb::ui::test {
namespace {

using uikit::test::Script;

TEST_F(SharedWindows, TheNoticeCountsDownOnItsFirstShowingOnly) {
    Machine machine;
    SecurityDetector detector(probe);
    WaringCountdown countdown;
    CWaring first(machine.context, detector, countdown);
    ASSERT_TRUE(first.Create(nullptr, "Waring", kWindowStyle, kTopmostExStyle));
    EXPECT_EQ(first.LayoutProblems(), std::vector<std::string>{});
    first.ShowWindow(true, true);
    EXPECT_TRUE(machine.context.Handoff().showedNote) << "recorded at once";
    std::vector<std::string> seen;
    for (int tick = 0; tick <= 5; ++tick) {
        Json::Value button = Control(first, "btn_iknow");
        seen.push_back(button["text"].asString() + (button["enabled"].asBool() ? " on" : " off"));
        if (tick < 5) first.DeliverTimer(CWaring::kCountdownTimer);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"我知道了(5) off", "我知道了(4) off", "我知道了(3) off",
                                              "我知道了(2) off", "我知道了(1) off", "我知道了 on"}));

    // Only "我知道了" leaves it: Enter, Esc, Space and Alt+F4 do not.
    first.Tree().SetFocus(first.FindControl("btn_iknow"));
    for (unsigned key : {VK_RETURN, VK_ESCAPE, VK_SPACE}) PressKey(first.GetHWND(), key);
    SendMessageW(first.GetHWND(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump(50);
    EXPECT_TRUE(IsWindow(first.GetHWND()));
    UINT result = 0;
    {
        Script press([&] { return Click(first, "btn_iknow"); });
        result = first.ShowModal();
    }
    EXPECT_EQ(result, 1u);

    WaringCountdown fresh;
    CWaring second(machine.context, detector, fresh);
    ASSERT_TRUE(second.Create(nullptr, "Waring", kWindowStyle, kTopmostExStyle));
    Json::Value button = Control(second, "btn_iknow");
    EXPECT_EQ(button["text"].asString(), "我知道了") << "bShowedNote is set: usable at once";
    EXPECT_TRUE(button["enabled"].asBool());
}

}  // namespace
}  // namespace qnb::ui::test
