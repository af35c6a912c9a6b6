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
