#include "uikit/core/builder.h"

#include "uikit/controls/button.h"
#include "uikit/controls/progress.h"
#include "uikit/test_support/fake_host.h"

#include <gtest/gtest.h>

namespace uikit {
namespace {

using testing::TestWindow;

class ProgramControls : public IControlFactory {
public:
    std::unique_ptr<CControlUI> CreateControl(std::string_view tag) override {
        asked.emplace_back(tag);
        if (tag == "XProgress") return std::make_unique<CProgressUI>();
        return nullptr;
    }
    std::vector<std::string> asked;
};

TEST(Builder, DefaultsComeFirstAndTheProgramMakesItsOwnElements) {
    ProgramControls factory;
    TestWindow w(R"(<Window size="200,100">
        <Default name="Button" value="textcolor=&quot;#FF333333&quot; text=&quot;默认&quot;"/>
        <VerticalLayout>
          <Button name="plain"/>
          <Button name="own" text="自己的"/>
          <XProgress name="ring" max="120" value="5"/>
          <Mystery name="m"><Label/></Mystery>
          <Label name="lab" nonsense="1" width="abc"><Label/></Label>
        </VerticalLayout></Window>)",
                 &factory);
    EXPECT_EQ(w.Find("plain")->GetText(), "默认");
    EXPECT_EQ(w.Find("own")->GetText(), "自己的");
    EXPECT_EQ(w.Get<CButtonUI>("own")->GetTextColor(), 0xFF333333u);
    auto* ring = w.Get<CProgressUI>("ring");
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->GetValue(), 5);
    EXPECT_EQ(factory.asked, (std::vector<std::string>{"XProgress", "Mystery"}))
        << "only elements the framework does not know are offered";
    EXPECT_EQ(w.Find("m"), nullptr);
    EXPECT_EQ(w.problems, (std::vector<std::string>{
                              "unknown element Mystery \"m\"",
                              "Label \"lab\": nonsense=\"1\" does not apply",
                              "Label \"lab\": width=\"abc\" does not apply",
                              "Label \"lab\" cannot hold controls",
                          }));
}

TEST(Builder, SharedStylesComeBeforeTheWindowsOwn) {
    SharedStyles shared;
    std::string error;
    ASSERT_TRUE(ParseSharedStyles(R"(<Global>
        <Font id="0" name="微软雅黑" size="12" default="true"/>
        <Font id="1" name="微软雅黑" size="16" bold="true"/>
        <Default name="Button" value="textcolor=&quot;#FF111111&quot; text=&quot;共享&quot;"/>
        </Global>)",
                                  &shared, &error))
        << error;
    TestWindow w(R"(<Window size="200,100">
        <Font id="7" name="宋体" size="20"/>
        <Default name="Button" value="textcolor=&quot;#FF222222&quot;"/>
        <VerticalLayout><Button name="b"/><Label name="l" font="1"/></VerticalLayout></Window>)",
                 nullptr, &shared);
    EXPECT_EQ(w.Get<CButtonUI>("b")->GetTextColor(), 0xFF222222u) << "the window's Default applies last";
    EXPECT_EQ(w.Find("b")->GetText(), "共享") << "what the window's Default leaves alone stays shared";
    ASSERT_NE(w.tree.GetFont(1), nullptr);
    EXPECT_EQ(w.tree.GetFont(1)->size, 16);
    EXPECT_EQ(w.tree.GetFont(7)->name, "宋体");
    EXPECT_EQ(w.tree.GetFont(-1)->size, 12) << "the shared default font";
    EXPECT_EQ(w.tree.GetFont(99)->size, 12);
}

TEST(Builder, PaintStepsRunInOrderAndLongTextEndsInAnEllipsis) {
    TestWindow w(R"(<Window size="200,100"><Button name="b" bkcolor="#FF0F68AF" normalimage="btn.png"
        text="字字字字字字字字字字字字字字字字字字字字字字字字字字字字字字" endellipsis="true"
        textcolor="#FFFFFFFF" bordersize="1" bordercolor="#FF000000"/></Window>)");
    testing::RecordingRender render;
    w.tree.Paint(render, {0, 0, 200, 100});
    ASSERT_EQ(render.calls.size(), 4u);
    EXPECT_EQ(render.calls[0], "fill 0,0,200,100 FF0F68AF");
    EXPECT_EQ(render.calls[1], "image btn.png 0,0,200,100 00000000");
    // 200 pixels hold 25 characters of 8: 24 and the ellipsis.
    std::string shortened;
    for (int i = 0; i < 24; ++i) shortened += "字";
    EXPECT_EQ(render.calls[2], "text \"" + shortened + "\xE2\x80\xA6\" 0,0,200,100 FFFFFFFF");
    EXPECT_EQ(render.calls[3], "border w1 0,0,200,100 FF000000");
}

}  // namespace
}  // namespace uikit
