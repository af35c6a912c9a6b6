// The arithmetic of the layouts, on small windows.
#include "uikit/controls/list.h"
#include "uikit/controls/tab_layout.h"
#include "uikit/test_support/fake_host.h"

#include <gtest/gtest.h>

namespace uikit {
namespace {

using testing::TestWindow;

Rect PosOf(const TestWindow& w, const char* name) { return w.Find(name)->GetPos(); }

TEST(Layout, VerticalFixedHeightsThenSharesWithPaddingAndInsets) {
    TestWindow w(R"(<Window size="200,300"><VerticalLayout inset="10,10,10,10" childpadding="5">
        <Control name="top" height="40"/>
        <Control name="a"/>
        <Control name="b" padding="0,5,20,0"/>
        <Control name="bottom" height="30" width="50"/>
      </VerticalLayout></Window>)");
    // Inner area 180x280; fixed 40 + 30 + padding 5 + 3 gaps of 5 = 90; 190 shared by two.
    EXPECT_EQ(PosOf(w, "top"), (Rect{10, 10, 190, 50}));
    EXPECT_EQ(PosOf(w, "a"), (Rect{10, 55, 190, 150}));
    EXPECT_EQ(PosOf(w, "b"), (Rect{10, 160, 170, 255}));
    EXPECT_EQ(PosOf(w, "bottom"), (Rect{10, 260, 60, 290}));
}

TEST(Layout, HorizontalWithCentredChildrenAndHiddenOnes) {
    TestWindow w(R"(<Window size="300,100"><HorizontalLayout childvalign="vcenter" childpadding="10">
        <Control name="a" width="60" height="20"/>
        <Control name="hidden" width="500" visible="false"/>
        <Control name="rest"/>
        <Control name="c" width="40"/>
      </HorizontalLayout></Window>)");
    EXPECT_EQ(PosOf(w, "a"), (Rect{0, 40, 60, 60}));
    EXPECT_EQ(PosOf(w, "rest"), (Rect{70, 0, 250, 100}));
    EXPECT_EQ(PosOf(w, "c"), (Rect{260, 0, 300, 100}));
    EXPECT_TRUE(PosOf(w, "hidden").IsEmpty()) << "hidden controls are not placed";
}

TEST(Layout, ChildrenGatherInTheMiddleWhenNoneTakesTheRest) {
    TestWindow w(R"(<Window size="300,200"><VerticalLayout childvalign="vcenter">
        <HorizontalLayout name="row" height="40" childalign="center" childpadding="10">
          <Control name="a" width="60"/><Control name="b" width="60" visible="false"/><Control name="c" width="60"/>
        </HorizontalLayout></VerticalLayout></Window>)");
    EXPECT_EQ(PosOf(w, "row"), (Rect{0, 80, 300, 120}));
    EXPECT_EQ(PosOf(w, "a"), (Rect{85, 80, 145, 120}));
    EXPECT_EQ(PosOf(w, "c"), (Rect{155, 80, 215, 120}));
}

TEST(Layout, FloatingControlsArePlacedRelativeToTheirContainer) {
    TestWindow w(R"(<Window size="640,360"><VerticalLayout>
        <Control height="60"/>
        <Container name="page"><Button name="btn_next" float="true" pos="392,244,562,288"/></Container>
      </VerticalLayout></Window>)");
    EXPECT_EQ(PosOf(w, "page"), (Rect{0, 60, 640, 360}));
    EXPECT_EQ(PosOf(w, "btn_next"), (Rect{392, 304, 562, 348}));
}

TEST(Layout, TabShowsOnlyTheSelectedPage) {
    TestWindow w(R"(<Window size="100,100"><TabLayout name="tab" selectedid="1">
        <Control name="p0"/><Control name="p1"/><Control name="p2"/></TabLayout></Window>)");
    auto* tab = w.Get<CTabLayoutUI>("tab");
    EXPECT_EQ(tab->GetCurSel(), 1);
    EXPECT_FALSE(w.Find("p0")->IsVisible());
    EXPECT_TRUE(w.Find("p1")->IsVisible());
    EXPECT_TRUE(tab->SelectItem(2));
    w.tree.LayoutIfNeeded();
    EXPECT_FALSE(w.Find("p1")->IsVisible());
    EXPECT_EQ(PosOf(w, "p2"), (Rect{0, 0, 100, 100}));
    EXPECT_FALSE(tab->SelectItem(3));
    EXPECT_EQ(tab->GetCurSel(), 2);
}

TEST(Layout, TileCellsRowByRow) {
    TestWindow w(R"(<Window size="320,200"><TileLayout columns="3" childpadding="10" itemsize="0,50">
        <Control name="a"/><Control name="b"/><Control name="c"/><Control name="d"/></TileLayout></Window>)");
    EXPECT_EQ(PosOf(w, "a"), (Rect{0, 0, 100, 50}));
    EXPECT_EQ(PosOf(w, "c"), (Rect{220, 0, 320, 50}));
    EXPECT_EQ(PosOf(w, "d"), (Rect{0, 60, 100, 110}));
}

TEST(Layout, AListScrollsWhenItsRowsDoNotFit) {
    TestWindow w(R"(<Window size="200,100"><List name="list" childpadding="0"/></Window>)");
    auto* list = w.Get<CListUI>("list");
    w.host.layouts["row.xml"] = R"(<ListContainerElement height="30"><Label name="cell"/></ListContainerElement>)";
    for (int i = 0; i < 10; ++i) ASSERT_NE(list->AddRow("row.xml"), nullptr);
    w.tree.LayoutIfNeeded();
    EXPECT_EQ(list->GetScrollRange(), 300 - 100);
    // The scroll bar takes its width from the rows.
    EXPECT_EQ(list->GetItemAt(0)->GetPos().right, 200 - CContainerUI::kScrollBarWidth);

    ASSERT_TRUE(list->SelectItem(9));
    w.tree.LayoutIfNeeded();
    EXPECT_EQ(list->GetScrollPos(), 200) << "the selected row is scrolled into view";
    EXPECT_EQ(list->GetItemAt(9)->GetPos(), (Rect{0, 70, 192, 100}));

    w.tree.Wheel({50, 50}, 120 * 10);
    w.tree.LayoutIfNeeded();
    EXPECT_EQ(list->GetScrollPos(), 0) << "the wheel stops at the top";

    while (list->GetCount() > 2) list->RemoveAt(0);
    w.tree.LayoutIfNeeded();
    EXPECT_EQ(list->GetScrollRange(), 0);
    EXPECT_EQ(list->GetItemAt(0)->GetPos().right, 200);
    std::string error;
    EXPECT_EQ(list->AddRow("missing.xml", &error), nullptr);
    EXPECT_NE(error.find("missing.xml"), std::string::npos);
}

}  // namespace
}  // namespace uikit
