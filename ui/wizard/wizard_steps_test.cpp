#include "ui/wizard/wizard_steps.h"

#include <gtest/gtest.h>

namespace qnb::ui {
namespace {

TEST(WizardSteps, WhatEachStepShows) {
    struct Row {
        int step;
        int tab;
        const char* option;
        const char* title;
        const char* next;
        bool back;
    };
    const Row rows[] = {
        {0, 0, "option_hardware", "skin/title0.png", "下一步", false},
        {1, 1, "option_system", "skin/title1.png", "下一步", true},
        {2, 3, "option_backupfile", "skin/title3.png", "完成", true},
        {3, 4, "option_download", "skin/title4.png", nullptr, false},
        {7, 4, "option_download", "skin/title4.png", nullptr, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.step);
        const StepRow& row = StepRowOf(r.step);
        EXPECT_EQ(row.tab, r.tab);
        EXPECT_STREQ(row.option, r.option);
        EXPECT_STREQ(row.title, r.title);
        if (r.next) EXPECT_STREQ(row.next, r.next);
        else EXPECT_EQ(row.next, nullptr);
        EXPECT_EQ(row.back, r.back);
    }
}

TEST(WizardSteps, WithoutAChosenSystemTheMachineStaysOnTheSystemStep) {
    struct Case {
        int requested;
        bool chosen;
        int step;
        bool message;
        bool install;
    };
    const Case cases[] = {
        {1, false, 1, false, false},  // the system step itself needs nothing
        {2, false, 1, true, false},   // "下一步" with nothing chosen
        {3, false, 1, true, false},
        {2, true, 2, false, false},
        {3, true, 3, false, true},    // "完成"
        {0, false, 0, false, false},  // back to the hardware step
        {-1, false, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.requested);
        StepMove move = MoveTo(c.requested, c.chosen);
        EXPECT_EQ(move.step, c.step);
        EXPECT_EQ(move.noSystemMessage, c.message);
        EXPECT_EQ(move.startsInstall, c.install);
    }
}

TEST(WizardSteps, ASystemIsChosenByAStoredPathOrAnEntryWithAnAddress) {
    EXPECT_TRUE(SystemChosen(true, "D:\\WIN7.ISO", ""));
    EXPECT_FALSE(SystemChosen(true, "", "http://img.example/a.wim")) << "a local image without its path";
    EXPECT_TRUE(SystemChosen(false, "", "http://img.example/a.wim"));
    EXPECT_FALSE(SystemChosen(false, "D:\\WIN7.ISO", ""));
}

TEST(WizardSteps, TipPictures) {
    EXPECT_EQ(TipPicture(0, 64), "skin/Tip_Hardware.png");
    EXPECT_EQ(TipPicture(1, 4), "skin/win7_64.jpg");
    EXPECT_EQ(TipPicture(1, std::nullopt), "skin/default.jpg");
    EXPECT_EQ(TipPicture(1, 0), "skin/default.jpg");
    EXPECT_EQ(TipPicture(2, 4), "skin/tip_backup.jpg");
    EXPECT_EQ(TipPicture(3, 4), "skin/tip_end.jpg");
}

TEST(WizardSteps, InstallingPeCountsZeroToThreeDots) {
    InstallingPeText text;
    std::vector<std::string> seen;
    for (int i = 0; i < 6; ++i) seen.push_back(text.Next());
    EXPECT_EQ(seen, (std::vector<std::string>{"正在安装PE", "正在安装PE.", "正在安装PE..", "正在安装PE...", "正在安装PE",
                                              "正在安装PE."}));
}

TEST(WizardSteps, OnlyAFatalTextThatSaysSoEndsTheProgram) {
    EXPECT_TRUE(EndsProgram("系统镜像下载失败,请关闭安全软件或检查网络连接。\r\n点击确定后本软件将自动退出，请稍后重新打开。"));
    EXPECT_FALSE(EndsProgram("本软件将自动退出") ) << "only after the first character";
    EXPECT_FALSE(EndsProgram("关键文件丢失，无法继续\r\n请关闭杀毒并重启本软件后重试!"));
}

}  // namespace
}  // namespace qnb::ui
