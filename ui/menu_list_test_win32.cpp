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

}  // namespace
}  // namespace qnb::ui::test
