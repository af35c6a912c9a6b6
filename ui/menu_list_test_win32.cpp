// The main window's menu under Wine.
// The fixture and helpers: ui/test_support/shared_windows_win32.h.
#include "ui/menu_list.h"

#include "ui/main_dlg.h"
#include "ui/test_support/shared_windows_win32.h"

namespace qnb::ui::test {
namespace {

TEST_F(SharedWindows, TheMenuOpensBesideItsButtonAndItsLinksCarryTheirMarker) {
    Machine machine;
    SecurityDetector detector(probe);
    auto main = OpenMain(machine.context, desktop, detector);
    ASSERT_TRUE(Click(*main, "btn_menu"));
    uikit::WindowImplBase* menu = Open("menuwnd");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->LayoutProblems(), std::vector<std::string>{});
    EXPECT_TRUE(IsWindowVisible(menu->GetHWND()));
    RECT rc;
    GetWindowRect(menu->GetHWND(), &rc);
    POINT corner{rc.left, rc.top};
    ScreenToClient(main->GetHWND(), &corner);
    const uikit::Rect& anchor = main->FindControl("btn_menu")->GetPos();
    EXPECT_EQ(corner.x, anchor.left - 50);
    EXPECT_EQ(corner.y, anchor.top);
    EXPECT_EQ(rc.right - rc.left, 100);
    EXPECT_EQ(rc.bottom - rc.top, 123);
    ASSERT_TRUE(Click(*menu, "btn_jiaocheng"));
    EXPECT_EQ(desktop.urls, std::vector<std::string>{"http://www.tessaly.example/jiaocheng/?from=onekey_reinstall 1"});
    EXPECT_FALSE(IsWindowVisible(menu->GetHWND()));
    ASSERT_TRUE(Click(*main, "course"));
    EXPECT_EQ(desktop.urls.back(), "http://www.tessaly.example/jiaocheng/?src=reinstall_client 3");
}

TEST_F(SharedWindows, TheMenuOffersTheUndoOnlyWhileAStartIsPrepared) {
    Machine machine;
    SecurityDetector detector(probe);
    std::optional<std::string> question;
    int undos = 0;
    bool undoWorks = true;
    MainDlgHooks hooks;
    hooks.preparedStart.question = [&] { return question; };
    hooks.preparedStart.undo = [&] {
        ++undos;
        if (undoWorks) question.reset();
        return undoWorks;
    };
    auto main = OpenMain(machine.context, desktop, detector, hooks);
    auto openMenu = [&] {
        EXPECT_TRUE(Click(*main, "btn_menu"));
        uikit::WindowImplBase* menu = Open("menuwnd");
        RECT rc{};
        if (menu) GetWindowRect(menu->GetHWND(), &rc);
        return std::make_pair(menu, rc.bottom - rc.top);
    };

    auto [menu, height] = openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(Control(*menu, "btn_undo_pe")["visible"].asBool()) << "nothing prepared";
    EXPECT_EQ(height, 123);

    question = "已准备好系统重装。是否取消？";
    struct Case {
        int answer;
        bool works;
        std::vector<std::string> messages;
        int undos;
    } cases[] = {
        {IDNO, true, {"取消重装准备|已准备好系统重装。是否取消？"}, 0},
        {IDYES, false, {"取消重装准备|已准备好系统重装。是否取消？", "取消重装准备|未能恢复启动设置，请稍后重试。"}, 1},
        {IDYES, true, {"取消重装准备|已准备好系统重装。是否取消？", "取消重装准备|已取消，电脑下次开机将直接进入当前系统。"}, 2},
    };
    for (const Case& c : cases) {
        std::tie(menu, height) = openMenu();
        EXPECT_TRUE(Control(*menu, "btn_undo_pe")["visible"].asBool());
        EXPECT_EQ(Control(*menu, "btn_undo_pe")["text"].asString(), "取消重装准备");
        EXPECT_EQ(height, 147) << "the menu grows by the item";
        desktop.messages.clear();
        desktop.answer = c.answer;
        undoWorks = c.works;
        ASSERT_TRUE(Click(*menu, "btn_undo_pe"));
        EXPECT_FALSE(IsWindowVisible(menu->GetHWND()));
        EXPECT_EQ(desktop.messages, c.messages);
        EXPECT_EQ(undos, c.undos);
    }
    std::tie(menu, height) = openMenu();
    EXPECT_FALSE(Control(*menu, "btn_undo_pe")["visible"].asBool()) << "undone: the item goes";
    EXPECT_EQ(height, 123);
}

}  // namespace
}  // namespace qnb::ui::test
