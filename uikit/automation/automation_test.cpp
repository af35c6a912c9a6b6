#include "uikit/automation/automation.h"

#include "uikit/core/container.h"
#include "uikit/test_support/fake_host.h"

#include <gtest/gtest.h>

namespace uikit::automation {
namespace {

using testing::TestWindow;

TEST(Automation, DescribesEveryControlWithItsState) {
    TestWindow w(R"(<Window size="200,100"><VerticalLayout>
        <Option name="o" group="g" selected="true" text="选项"/>
        <Progress name="p" max="120" value="5" visible="false"/>
        <Label name="l" bkimage="file='ver1.png' corner='1,1,1,1'"/>
      </VerticalLayout></Window>)");
    Json::Value tree = DescribeTree(w.tree);
    EXPECT_EQ(tree["type"].asString(), "VerticalLayout");
    ASSERT_EQ(tree["children"].size(), 3u);
    const Json::Value& o = tree["children"][0];
    EXPECT_EQ(o["name"].asString(), "o");
    EXPECT_EQ(o["text"].asString(), "选项");
    EXPECT_TRUE(o["checked"].asBool());
    EXPECT_TRUE(o["visible"].asBool());
    const Json::Value& p = tree["children"][1];
    EXPECT_EQ(p["value"].asInt(), 5);
    EXPECT_EQ(p["max"].asInt(), 120);
    EXPECT_FALSE(p["visible"].asBool());
    EXPECT_FALSE(tree["children"][2].isMember("checked"));
    EXPECT_EQ(tree["children"][2]["bkimage"].asString(), "ver1.png");
}

TEST(Automation, AddressesReachIntoTheRowsOfAList) {
    TestWindow w(R"(<Window size="300,200"><VerticalLayout>
        <List name="list">
          <ListContainerElement><Label name="cell" text="a"/><Button name="go" text="1"/></ListContainerElement>
          <ListContainerElement><Label name="cell" text="b"/><Button name="go" text="2"/></ListContainerElement>
        </List>
        <Button name="go" text="outside"/>
      </VerticalLayout></Window>)");
    struct Case {
        const char* address;
        const char* text;  // nullptr: no control
    };
    const Case cases[] = {
        {"go", "1"},                // a bare name: the first in tree order
        {"list[1]/go", "2"},        // inside the second row
        {"list[0]/cell", "a"},
        {"list[1]", ""},            // the row itself
        {"list[2]/go", nullptr},    // no third row
        {"list[1]/none", nullptr},
        {"none[0]/go", nullptr},
        {"go[0]", nullptr},         // a button holds no rows
        {"list[x]/go", nullptr},
        {"list[]/go", nullptr},
        {"list[1/go", nullptr},
        {"list[9999999]/go", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        CControlUI* found = FindByAddress(w.tree, c.address);
        if (!c.text) {
            EXPECT_EQ(found, nullptr) << c.address;
            continue;
        }
        ASSERT_NE(found, nullptr) << c.address;
        EXPECT_EQ(found->GetText(), c.text) << c.address;
    }
    EXPECT_EQ(FindByAddress(w.tree, "list[1]"), dynamic_cast<CContainerUI*>(w.Find("list"))->GetItemAt(1));
}

TEST(Automation, ClicksOnlyWhatTheMouseCouldReach) {
    TestWindow w(R"(<Window size="200,100"><Container>
        <Button name="under" pos="0,0,100,50" float="true"/>
        <Button name="over" pos="0,0,100,50" float="true"/>
        <Button name="hidden" visible="false"/>
        <Button name="off" enabled="false" pos="100,50,200,100" float="true"/>
        <Button name="away" pos="300,0,400,50" float="true"/>
      </Container></Window>)");
    EXPECT_EQ(FindClickTarget(w.tree, *w.Find("under")).problem, "the control is covered by Button \"over\"");
    EXPECT_EQ(FindClickTarget(w.tree, *w.Find("hidden")).problem, "the control is hidden");
    EXPECT_EQ(FindClickTarget(w.tree, *w.Find("away")).problem, "the control lies outside the window");

    ClickTarget over = FindClickTarget(w.tree, *w.Find("over"));
    ASSERT_TRUE(over.problem.empty());
    Click(w.tree, over);
    ClickTarget off = FindClickTarget(w.tree, *w.Find("off"));
    ASSERT_TRUE(off.problem.empty());
    Click(w.tree, off);
    EXPECT_EQ(w.log.entries, (std::vector<std::string>{"over:setfocus", "over:click"}))
        << "the disabled button took the click and did nothing";
}

TEST(Automation, ChoosesAComboItemAsItsListDoes) {
    TestWindow w(R"(<Window size="200,100"><VerticalLayout>
        <Combo name="c"><Item text="一"/><Item text="二"/></Combo>
        <Label name="l"/>
      </VerticalLayout></Window>)");
    const Json::Value combo = DescribeTree(w.tree)["children"][0];
    ASSERT_EQ(combo["items"].size(), 2u);
    EXPECT_EQ(combo["items"][1].asString(), "二");
    EXPECT_TRUE(Choose(*w.Find("c"), 1));
    EXPECT_EQ(DescribeTree(w.tree)["children"][0]["value"].asInt(), 1);
    EXPECT_EQ(w.log.entries.back(), "c:itemselect");
    EXPECT_FALSE(Choose(*w.Find("c"), 2));
    EXPECT_FALSE(Choose(*w.Find("l"), 0));
}

}  // namespace
}  // namespace uikit::automation
