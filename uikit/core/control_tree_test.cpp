// Mouse, keyboard, focus, timers and notifications through a window's controls.
#include "uikit/core/control_tree.h"

#include "uikit/controls/checkbox.h"
#include "uikit/controls/combo.h"
#include "uikit/controls/gif_anim.h"
#include "uikit/controls/list.h"
#include "uikit/controls/tab_layout.h"
#include "uikit/core/notify_pump.h"
#include "uikit/test_support/fake_host.h"

#include <gtest/gtest.h>

namespace uikit {
namespace {

using testing::TestWindow;
using Log = std::vector<std::string>;

TEST(ControlTree, AClickIsAPressAndReleaseOverTheSameButton) {
    TestWindow w(R"(<Window size="300,100"><HorizontalLayout>
        <Button name="a" width="100"/><Button name="b" width="100"/><Button name="off" enabled="false"/>
      </HorizontalLayout></Window>)");
    w.Click("a");
    EXPECT_EQ(w.log.entries, (Log{"a:setfocus", "a:click"}));

    // Pressed on a, released on b: no click anywhere.
    w.log.entries.clear();
    w.tree.ButtonDown({50, 50});
    EXPECT_TRUE(w.host.captured);
    w.tree.MouseMove({150, 50});
    w.tree.ButtonUp({150, 50});
    EXPECT_FALSE(w.host.captured);
    EXPECT_EQ(w.log.entries, Log{});

    w.Click("off");
    EXPECT_EQ(w.log.entries, Log{}) << "a disabled button sends nothing";
}

TEST(ControlTree, EnterAndSpaceActivateTheFocusedButton) {
    TestWindow w(R"(<Window size="100,100"><Button name="a"/></Window>)");
    EXPECT_FALSE(w.tree.KeyDown(0x0D)) << "nothing has the focus yet";
    w.tree.SetFocus(w.Find("a"));
    w.log.entries.clear();
    EXPECT_TRUE(w.tree.KeyDown(0x0D));
    EXPECT_TRUE(w.tree.KeyDown(0x20));
    EXPECT_TRUE(w.tree.KeyDown(0x41));
    EXPECT_EQ(w.log.entries, (Log{"a:click", "a:click"}));
}

TEST(ControlTree, OptionsOfAGroupExcludeEachOther) {
    TestWindow w(R"(<Window size="300,100"><HorizontalLayout>
        <Option name="x" group="g" selected="true"/><Option name="y" group="g" selected="true"/>
        <Option name="z" group="g"/><CheckBox name="c"/>
      </HorizontalLayout></Window>)");
    auto* x = w.Get<COptionUI>("x");
    auto* y = w.Get<COptionUI>("y");
    auto* z = w.Get<COptionUI>("z");
    EXPECT_FALSE(x->IsSelected()) << "of two selected in the layout, the last one stays";
    EXPECT_TRUE(y->IsSelected());

    w.Click("z");
    EXPECT_EQ(w.log.entries, (Log{"z:setfocus", "z:click", "z:selectchanged"}));
    EXPECT_FALSE(y->IsSelected());
    EXPECT_TRUE(z->IsSelected());

    w.log.entries.clear();
    w.Click("z");
    EXPECT_TRUE(z->IsSelected()) << "a selected option of a group stays selected";
    EXPECT_EQ(w.log.entries, (Log{"z:click"}));

    auto* c = w.Get<CCheckBoxUI>("c");
    w.Click("c");
    w.Click("c");
    EXPECT_FALSE(c->GetCheck());
    EXPECT_EQ(std::count(w.log.entries.begin(), w.log.entries.end(), "c:selectchanged"), 2);
}

TEST(ControlTree, NotificationsReachThePageOfTheirVirtualWindow) {
    TestWindow w(R"(<Window size="200,100"><HorizontalLayout>
        <VerticalLayout virtualwnd="page1"><HorizontalLayout><Button name="inner"/></HorizontalLayout></VerticalLayout>
        <Button name="outer"/>
      </HorizontalLayout></Window>)");
    CNotifyPump pump;
    testing::NotifyLog page;
    pump.AddVirtualWnd("page1", &page);
    Log window;
    w.log.onNotify = [&](TNotifyUI& msg) {
        if (!pump.RouteToPage(msg)) window.push_back(msg.sender->GetName() + ":" + msg.type);
    };
    w.Click("inner");
    w.Click("outer");
    EXPECT_EQ(page.entries, (Log{"inner:setfocus", "inner:click", "inner:killfocus"}));
    EXPECT_EQ(window, (Log{"outer:setfocus", "outer:click"}));
}

TEST(ControlTree, AClickHandlerMayRemoveTheButtonItWasSentBy) {
    TestWindow w(R"(<Window size="200,100"><List name="list"/></Window>)");
    w.host.layouts["row.xml"] = R"(<ListContainerElement height="30"><Button name="del"/></ListContainerElement>)";
    auto* list = w.Get<CListUI>("list");
    list->AddRow("row.xml");
    w.log.onNotify = [&](TNotifyUI& msg) {
        if (msg.type == notify::kClick) list->RemoveAll();
    };
    w.Click("del");
    EXPECT_EQ(list->GetCount(), 0);
    EXPECT_EQ(w.tree.Focus(), nullptr);
    EXPECT_EQ(w.tree.Hot(), nullptr);
    w.tree.MouseMove({10, 10});  // would touch the removed row if it were still known
}

TEST(ControlTree, ListRowsSelectOnPressAndReportClicks) {
    TestWindow w(R"(<Window size="200,200"><List name="list"/></Window>)");
    w.host.layouts["row.xml"] = R"(<ListContainerElement height="40"><Label name="cell"/></ListContainerElement>)";
    auto* list = w.Get<CListUI>("list");
    list->AddRow("row.xml");
    list->AddRow("row.xml");
    w.tree.LayoutIfNeeded();
    w.tree.ButtonDown({20, 60});
    w.tree.ButtonUp({20, 60});
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_EQ(w.log.entries, (Log{"list:setfocus", "list:itemselect", ":itemclick"}));
}

TEST(ControlTree, HiddenPagesLoseTheFocus) {
    TestWindow w(R"(<Window size="200,100"><TabLayout name="tab">
        <Button name="first"/><Button name="second"/></TabLayout></Window>)");
    w.Click("first");
    ASSERT_EQ(w.tree.Focus(), w.Find("first"));
    dynamic_cast<CTabLayoutUI*>(w.Find("tab"))->SelectItem(1);
    EXPECT_EQ(w.tree.Focus(), nullptr);
}

TEST(ControlTree, ControlTimersAreTheTreesUntilTheControlGoes) {
    TestWindow w(R"(<Window size="100,100"><VerticalLayout name="root"><GifAnim name="gif" bkimage="busy.gif"/></VerticalLayout></Window>)");
    w.host.frameDelays["busy.gif"] = {50, 0, 70};
    testing::RecordingRender render;
    w.tree.Paint(render, {0, 0, 100, 100});
    ASSERT_EQ(w.host.timers.size(), 1u);
    auto [hostId, elapse] = *w.host.timers.begin();
    EXPECT_EQ(elapse, 50u);
    EXPECT_TRUE(w.tree.OnHostTimer(hostId));
    EXPECT_EQ(w.host.timers[hostId], 100u) << "a frame without a delay shows for 100 ms";
    EXPECT_EQ(w.Get<CGifAnimUI>("gif")->GetFrame(), 1);
    EXPECT_FALSE(w.tree.OnHostTimer(42)) << "the window's own timers are not the tree's";

    dynamic_cast<CContainerUI*>(w.Find("root"))->RemoveAll();
    EXPECT_TRUE(w.host.timers.empty());
}

TEST(ControlTree, ComboOpensItsListAndReportsTheChoice) {
    TestWindow w(R"(<Window size="200,100"><Combo name="combo" text="请选择">
        <ListLabelElement text="C:"/><ListLabelElement text="D:" selected="true"/></Combo></Window>)");
    auto* combo = w.Get<CComboUI>("combo");
    EXPECT_EQ(combo->GetText(), "D:");
    w.Click("combo");
    EXPECT_EQ(w.host.droppedDown, combo);
    combo->SelectItem(0);
    EXPECT_EQ(combo->GetText(), "C:");
    EXPECT_EQ(w.log.entries.back(), "combo:itemselect");
}

}  // namespace
}  // namespace uikit
