// The lost-file message under Wine.
// The fixture and helpers: ui/test_support/shared_windows_win32.h.
#include "ui/error_msg_dlg.h"

#include "ui/test_support/shared_windows_win32.h"
#include "ui/window_styles.h"
#include "uikit/controls/label.h"
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

// The longest texts the flows show here, and one longer still: a line that
// does not fit the window's width wraps onto the next and is shown whole,
// in the font the skin asks for (Wine has the same full-width Chinese
// glyphs in its stand-in for it).
TEST_F(SharedWindows, TheLostFileWindowShowsLongLinesWhole) {
    const char* messages[] = {
        "关键文件丢失，无法继续，请关闭安全软件或检查网络连接。\r\n点击确定后本软件将自动退出，请稍后重新打开。",
        "无法从服务器下载文件，可能是服务器繁忙或本地网络异常。\r\n点击确定后本软件将自动退出，请稍后重新打开。",
        "系统镜像下载失败,请关闭安全软件或检查网络连接。\r\n点击确定后本软件将自动退出，请稍后重新打开。",
        "关键文件下载失败，无法继续\r\n请关闭杀毒并重启本软件后重试!",
        "关键文件丢失，无法继续，请关闭安全软件或检查网络连接，然后重新打开本软件再试一次。\r\n"
        "点击确定后本软件将自动退出，请稍后重新打开本软件，并按照提示关闭安全软件后重试。",
    };
    SecurityDetector detector(probe);
    bool wrapped = false;
    for (const char* message : messages) {
        CErrorMsgDlg dialog(detector);
        dialog.SetMessage(message);
        ASSERT_TRUE(dialog.Create(nullptr, "LostFile", kPopupStyle, kTopmostExStyle));
        dialog.ShowWindow(true, false);  // laid out as it is shown
        Pump(30);
        for (const char* name : {"msg1", "msg2"}) {
            auto* label = static_cast<uikit::CLabelUI*>(dialog.FindControl(name));
            ASSERT_NE(label, nullptr);
            const uikit::Rect area = label->GetPos().Deflate(label->GetTextPadding());
            const std::string text = label->GetText();
            EXPECT_FALSE(label->GetTextFlags() & uikit::kSingleLine) << name;
            EXPECT_EQ(text.find("\xE2\x80\xA6"), std::string::npos) << name << ": never cut with an ellipsis";
            uikit::Size wrappedSize = dialog.MeasureText(text, label->GetFont(), area.Width());
            EXPECT_LE(wrappedSize.cx, area.Width()) << name << ": " << text;
            EXPECT_LE(wrappedSize.cy, area.Height()) << name << ": " << text << " needs more lines than there is room for";
            wrapped |= dialog.MeasureText(text, label->GetFont(), 0).cx > area.Width();
        }
        dialog.Close(1);
        Pump(30, [&] { return !IsWindow(dialog.GetHWND()); });
    }
    EXPECT_TRUE(wrapped) << "at least one line needed the second";
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
