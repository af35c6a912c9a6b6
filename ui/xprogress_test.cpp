#include "ui/xprogress.h"

#include "uikit/test_support/fake_host.h"

#include <gtest/gtest.h>

namespace qnb::ui {
namespace {

TEST(XProgress, ArcRectangle) {
    EXPECT_EQ(ArcGeometry({0, 0, 260, 260}, 30), (ArcRect{14, 14, 230, 230}));
    EXPECT_EQ(ArcGeometry({100, 50, 500, 450}, 10), (ArcRect{104, 54, 390, 390}));
    EXPECT_EQ(ArcGeometry({0, 0, 260, 260}, 0), (ArcRect{-1, -1, 260, 260}));
    EXPECT_EQ(ArcGeometry({0, 0, 260, 260}, 31), (ArcRect{14, 14, 229, 229})) << "integer division of the pen";
}

TEST(XProgress, SweepOfTheValue) {
    EXPECT_FLOAT_EQ(SweepAngle(0, 0, 100), 0.0f);
    EXPECT_FLOAT_EQ(SweepAngle(25, 0, 100), 90.0f);
    EXPECT_FLOAT_EQ(SweepAngle(100, 0, 100), 360.0f);
    EXPECT_FLOAT_EQ(SweepAngle(5, 0, 120), 15.0f);
    EXPECT_FLOAT_EQ(SweepAngle(5, 10, 10), 0.0f) << "an empty range draws nothing";
}

class Factory : public uikit::IControlFactory {
public:
    std::unique_ptr<uikit::CControlUI> CreateControl(std::string_view tag) override {
        return tag == CXProgressUI::kElement ? std::make_unique<CXProgressUI>() : nullptr;
    }
};

TEST(XProgress, PaintsTheRingThenTheArcThenTheText) {
    Factory factory;
    uikit::testing::TestWindow w(R"(<Window size="260,260"><VerticalLayout>
        <XProgress name="p" width="260" height="260" pensize="30" barcolor="#ff1fbba6" bkcolor="#ffe0e0e0"
                   min="0" max="100" value="25" text="25%" textcolor="#FF333333"/></VerticalLayout></Window>)",
                                 &factory);
    ASSERT_TRUE(w.problems.empty());
    uikit::testing::RecordingRender render;
    w.tree.Paint(render, {0, 0, 260, 260});
    ASSERT_EQ(render.calls.size(), 3u);
    EXPECT_EQ(render.calls[0], "arc 14,14 230x230 start -90.00 sweep 360.00 pen 30 FFE0E0E0");
    EXPECT_EQ(render.calls[1], "arc 14,14 230x230 start -90.00 sweep 90.00 pen 30 FF1FBBA6");
    EXPECT_EQ(render.calls[2], "text \"25%\" 0,0,260,260 FF333333");
}

TEST(XProgress, WithoutBarColourTheArcIsTransparent) {
    CXProgressUI progress;
    EXPECT_EQ(progress.BarColor(), 0u);
    EXPECT_EQ(progress.PenSize(), 0);
    progress.SetAttribute("barcolor", "");
    EXPECT_EQ(progress.BarColor(), 0u);
    progress.SetAttribute("barcolor", "#ff0f68a1");
    EXPECT_EQ(progress.BarColor(), 0xFF0F68A1u);
    progress.SetAttribute("pensize", "10");
    EXPECT_EQ(progress.PenSize(), 10);
}

}  // namespace
}  // namespace qnb::ui
