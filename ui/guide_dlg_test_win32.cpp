// The security-software guide under Wine.
// The fixture and helpers: ui/test_support/shared_windows_win32.h.
#include "ui/guide_dlg.h"

#include "ui/test_support/shared_windows_win32.h"
#include "ui/window_styles.h"
#include "uikit/test_support/script_win32.h"

namespace qnb::ui::test {
namespace {

using uikit::test::Script;

TEST_F(SharedWindows, GuideWithDefenderAloneGoesStraightToItsSteps) {
    probe.defenderRunning = true;
    SecurityDetector detector(probe);
    CGuideToCloseSafe guide(detector);
    ASSERT_TRUE(guide.Create(nullptr, "GuideToCloseSafe", kPopupStyle, kTopmostExStyle));
    EXPECT_EQ(guide.LayoutProblems(), std::vector<std::string>{});
    std::vector<std::string> seen{GuideState(guide)};
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(Click(guide, "btn_next"));
        seen.push_back(GuideState(guide));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "page 1 skin/safeGuide/windowsDefender1.png 下一步",
                        "page 1 skin/safeGuide/windowsDefender2.png 下一步",
                        "page 1 skin/safeGuide/windowsDefender3.png 下一步",
                        "page 1 skin/safeGuide/windowsDefender4.png 下一步",
                        "page 1 skin/safeGuide/windowsDefender5.png 我学会啦",
                        "windowsDefender* page 0",
                    }));
}

TEST_F(SharedWindows, GuideWithSeveralProductsWaitsForAChoice) {
    probe.processes = {"360tray.exe", "QQPCRTP.exe"};
    probe.defenderRunning = true;
    probe.os = 4;  // Windows 7: no Defender option
    SecurityDetector detector(probe);
    CGuideToCloseSafe guide(detector);
    ASSERT_TRUE(guide.Create(nullptr, "GuideToCloseSafe", kPopupStyle, kTopmostExStyle));
    EXPECT_EQ(GuideState(guide), "360safe 360sd qqpcmgr* page 0") << "the last present product is selected";
    ASSERT_TRUE(Click(guide, "option_360sd"));
    ASSERT_TRUE(Click(guide, "begin"));
    EXPECT_EQ(GuideState(guide), "page 1 skin/safeGuide/360sd1.png 下一步");
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(Click(guide, "btn_next"));
    EXPECT_EQ(GuideState(guide), "360safe 360sd* qqpcmgr page 0");
    Script close([&] { return Click(guide, "btn_close"); });
    EXPECT_EQ(guide.ShowModal(), 1u);
}

TEST_F(SharedWindows, GuideWithNothingToShow) {
    SecurityDetector detector(probe);
    CGuideToCloseSafe guide(detector);
    ASSERT_TRUE(guide.Create(nullptr, "GuideToCloseSafe", kPopupStyle, kTopmostExStyle));
    EXPECT_EQ(GuideState(guide), "page 0");
    ASSERT_TRUE(Click(guide, "begin"));
    EXPECT_EQ(GuideState(guide), "page 0");
}

}  // namespace
}  // namespace qnb::ui::test
