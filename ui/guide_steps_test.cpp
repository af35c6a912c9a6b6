#include "ui/guide_steps.h"

#include "ui/error_message.h"

#include <gtest/gtest.h>

namespace qnb::ui {
namespace {

std::vector<std::string> Walk(GuideSteps& steps, int clicks) {
    std::vector<std::string> seen;
    GuideSteps::View view = steps.Show();
    seen.push_back(view.page ? view.picture + " " + view.nextText : "page 0");
    for (int i = 0; i < clicks; ++i) {
        steps.Next();
        view = steps.Show();
        seen.push_back(view.page ? view.picture + " " + view.nextText : "page 0");
    }
    return seen;
}

TEST(GuideSteps, DefenderHasFiveStepsThenBackToTheChoice) {
    GuideSteps steps;
    steps.Choose(kDefender);
    EXPECT_EQ(Walk(steps, 5), (std::vector<std::string>{
                                  "skin/safeGuide/windowsDefender1.png 下一步",
                                  "skin/safeGuide/windowsDefender2.png 下一步",
                                  "skin/safeGuide/windowsDefender3.png 下一步",
                                  "skin/safeGuide/windowsDefender4.png 下一步",
                                  "skin/safeGuide/windowsDefender5.png 我学会啦",
                                  "page 0",
                              }));
    EXPECT_EQ(steps.Step(), 0);
}

TEST(GuideSteps, OtherProductsHaveThree) {
    GuideSteps steps;
    steps.Choose(kQqPcMgr);
    EXPECT_EQ(Walk(steps, 3), (std::vector<std::string>{
                                  "skin/safeGuide/qqpcmgr1.png 下一步",
                                  "skin/safeGuide/qqpcmgr2.png 下一步",
                                  "skin/safeGuide/qqpcmgr3.png 我学会啦",
                                  "page 0",
                              }));
}

TEST(GuideSteps, BeginTakesTheFirstSelectedInTheGuidesOrder) {
    GuideSteps steps;
    steps.Begin({});
    EXPECT_EQ(steps.Chosen(), 0);
    EXPECT_EQ(steps.Show().page, 0) << "nothing chosen stays on the choice";
    steps.Begin({kDuba, kDefender});
    EXPECT_EQ(steps.Chosen(), kDefender) << "Defender comes before duba";
    steps.Begin({});
    EXPECT_EQ(steps.Chosen(), kDefender) << "none selected keeps the choice";
    steps.Begin({kQqPcMgr, k360Sd});
    EXPECT_EQ(steps.Chosen(), k360Sd);
    steps.Choose(3);
    EXPECT_EQ(steps.Show().page, 0) << "not a product";
}

TEST(LostFileMessage, SplitAtTheFirstLineBreak) {
    using Lines = std::pair<std::string, std::string>;
    EXPECT_EQ(SplitMessage("系统镜像下载失败,请关闭安全软件或检查网络连接。\r\n点击确定后本软件将自动退出，请稍后重新打开。"),
              (Lines{"系统镜像下载失败,请关闭安全软件或检查网络连接。", "点击确定后本软件将自动退出，请稍后重新打开。"}));
    EXPECT_EQ(SplitMessage("关键文件丢失，无法继续，请关闭安全软件后重试。"),
              (Lines{"关键文件丢失，无法继续，请关闭安全软件后重试。", ""}));
    EXPECT_EQ(SplitMessage("a\r\nb\r\nc"), (Lines{"a", "b\r\nc"}));
    EXPECT_EQ(SplitMessage("\r\nb"), (Lines{"\r\nb", ""})) << "a break at the start does not split";
    EXPECT_EQ(SplitMessage("a\nb"), (Lines{"a\nb", ""}));
    EXPECT_EQ(SplitMessage(""), (Lines{"", ""}));
}

}  // namespace
}  // namespace qnb::ui
