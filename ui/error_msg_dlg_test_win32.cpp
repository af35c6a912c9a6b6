// The lost-file message under Wine.
// The fixture and helpers: ui/test_support/shared_windows_win32.h.
#include "ui/error_msg_dlg.h"

#include "ui/test_support/shared_windows_win32.h"
#include "ui/window_styles.h"
#include "uikit/test_support/script_win32.h"

namespace qnb::ui::test {
namespace {

using uikit::test::Script;

TEST_F(SharedWindows, TheLostFileWindowSplitsItsMessage) {
    struct Case {
        const char* message;
        const char* first;
        const char* second;
    } cases[] = {
        {"系统镜像下载失败,请关闭安全软件或检查网络连接。\r\n点击确定后本软件将自动退出，请稍后重新打开。",
         "系统镜像下载失败,请关闭安全软件或检查网络连接。", "点击确定后本软件将自动退出，请稍后重新打开。"},
        {"关键文件丢失，无法继续，请关闭安全软件后重试。", "关键文件丢失，无法继续，请关闭安全软件后重试。", ""},
    };
    SecurityDetector detector(probe);
    for (const Case& c : cases) {
        CErrorMsgDlg dialog(detector);
        dialog.SetMessage(c.message);
        ASSERT_TRUE(dialog.Create(nullptr, "LostFile", kPopupStyle, kTopmostExStyle));
        EXPECT_EQ(dialog.LayoutProblems(), std::vector<std::string>{});
        EXPECT_EQ(Control(dialog, "msg1")["text"].asString(), c.first);
        EXPECT_EQ(Control(dialog, "msg2")["text"].asString(), c.second);
        Script ok([&] { return Click(dialog, "btn_ok"); });
        EXPECT_EQ(dialog.ShowModal(), 1u);
    }
}

TEST_F(SharedWindows, TheLostFileWindowOpensTheGuide) {
    probe.processes = {"kxetray.exe"};
    SecurityDetector detector(probe);
    CErrorMsgDlg dialog(detector);
    dialog.SetMessage("关键文件丢失，无法继续，请关闭安全软件后重试。");
    ASSERT_TRUE(dialog.Create(nullptr, "LostFile", kPopupStyle, kTopmostExStyle));
    std::string seen;
    Script steps([&] {
        if (uikit::WindowImplBase* guide = Open("GuideToCloseSafe")) {
            seen = GuideState(*guide);
            return Click(*guide, "btn_close");
        }
        return false;
    });
    ASSERT_TRUE(Click(dialog, "btn_how"));
    EXPECT_EQ(seen, "page 1 skin/safeGuide/duba1.png 下一步");
    EXPECT_TRUE(IsWindow(dialog.GetHWND())) << "back to the message";
}

}  // namespace
}  // namespace qnb::ui::test
