// The image choice window under Wine, its worker on scripted tools and a
// driven clock. The helpers: ui/test_support/shared_windows_win32.h.
#include "ui/iso/iso_info_dlg.h"

#include "images/test_support/fake_iso_machine.h"
#include "jobs/test_support/manual_clock.h"
#include "ui/test_support/shared_windows_win32.h"
#include "ui/window_styles.h"
#include "uikit/controls/combo.h"
#include "uikit/test_support/script_win32.h"

namespace qnb::ui::test {
namespace {

using images::test::FakeIsoMachine;
using uikit::test::Script;

std::string Listing(int images) {
    std::string xml = "<WIM>";
    for (int i = 1; i <= images; ++i) {
        xml += "<IMAGE INDEX=\"" + std::to_string(i) + "\"><DISPLAYDESCRIPTION>Windows 10 版本" + std::to_string(i) +
               "</DISPLAYDESCRIPTION></IMAGE>";
    }
    return xml + "</WIM>";
}

class IsoInfoWindow : public SharedWindows {
protected:
    FakeIsoMachine machine;
    qnb::test::ManualClock clock;
    std::unique_ptr<CXGetIsoInfoDlg> window;

    // Made and shown; its worker has found install.wim and waits out the pause when `pauses`.
    void Open(bool pauses = true) {
        window = std::make_unique<CXGetIsoInfoDlg>(machine.tools, machine.files, desktop, clock);
        window->SetIsoPath("D:\\镜像\\win10 x64.iso");
        ASSERT_TRUE(window->Create(nullptr, "ISOINFO", kPopupStyle, WS_EX_WINDOWEDGE));
        EXPECT_EQ(window->LayoutProblems(), std::vector<std::string>{});
        EXPECT_EQ(Control(*window, "iso_info_tab")["value"].asInt(), 0) << "page 0 while analysing";
        if (pauses) {
            ASSERT_TRUE(clock.WaitForSleepers(1));
            clock.Advance(images::kListDelay);
        }
    }
    bool OnPage1() { return Control(*window, "iso_info_tab")["value"].asInt() == 1; }
    uikit::CComboUI& Combo() { return *window->Find<uikit::CComboUI>("combo_image"); }
};

TEST_F(IsoInfoWindow, OneImageClosesByItselfReadyWithImage1) {
    machine.listing = Listing(1);
    Open();
    EXPECT_EQ(window->ShowModal(), 1u);
    EXPECT_TRUE(window->IsReady());
    EXPECT_EQ(window->GetImageIndex(), 1);
    EXPECT_EQ(machine.Runs().back(), "-r") << "unmounted";
}

TEST_F(IsoInfoWindow, FourImagesAreOfferedWithTheFourthSelectedAndOkTakesIt) {
    machine.listing = Listing(4);
    Open();
    UINT result = 0;
    std::vector<std::string> items;
    int selected = -1;
    {
        Script choose([&] {
            if (!OnPage1()) return false;
            items = Combo().Items();
            selected = Combo().GetCurSel();
            return Click(*window, "ok");
        });
        result = window->ShowModal();
    }
    EXPECT_EQ(items, (std::vector<std::string>{"Windows 10 版本1", "Windows 10 版本2", "Windows 10 版本3",
                                               "Windows 10 版本4"}));
    EXPECT_EQ(selected, 3);
    EXPECT_EQ(result, 1u);
    EXPECT_TRUE(window->IsReady());
    EXPECT_EQ(window->GetImageIndex(), 4);
}

TEST_F(IsoInfoWindow, ChoosingTheFirstGivesImage1) {
    machine.listing = Listing(4);
    Open();
    UINT result = 0;
    {
        Script choose([&] {
            if (!OnPage1()) return false;
            Combo().SelectItem(0, true);  // as the drop-down list does
            return Click(*window, "ok");
        });
        result = window->ShowModal();
    }
    EXPECT_EQ(result, 1u);
    EXPECT_EQ(window->GetImageIndex(), 1);
}

TEST_F(IsoInfoWindow, WithoutInstallWimTheIsoIsTakenNotReady) {
    machine.isoHasInstallWim = false;
    Open(false);
    EXPECT_EQ(window->ShowModal(), 1u);
    EXPECT_FALSE(window->IsReady());
    EXPECT_EQ(window->GetImageIndex(), 0);
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(IsoInfoWindow, AListingWithoutImagesSaysSoAndEndsWith2) {
    machine.listing = "<WIM><TOTALBYTES>0</TOTALBYTES></WIM>";
    Open();
    EXPECT_EQ(window->ShowModal(), 2u);
    EXPECT_EQ(desktop.messages, std::vector<std::string>{"错误|未能获取镜像信息，请重试"});
    EXPECT_TRUE(window->IsReady());
    EXPECT_EQ(window->GetImageIndex(), 0);
}

TEST_F(IsoInfoWindow, KeysAndTheCloseCommandWaitForTheWorkerThenCancel) {
    machine.listing = Listing(2);
    window = std::make_unique<CXGetIsoInfoDlg>(machine.tools, machine.files, desktop, clock);
    window->SetIsoPath("D:\\a.iso");
    ASSERT_TRUE(window->Create(nullptr, "ISOINFO", kPopupStyle, WS_EX_WINDOWEDGE));
    window->ShowWindow(true, true);
    ASSERT_TRUE(clock.WaitForSleepers(1));
    for (unsigned key : {VK_RETURN, VK_ESCAPE, VK_SPACE}) PressKey(window->GetHWND(), key);
    SendMessageW(window->GetHWND(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump(50);
    EXPECT_TRUE(IsWindow(window->GetHWND())) << "the worker is still at the ISO";
    clock.Advance(images::kListDelay);
    UINT result = 99;
    {
        Script escape([&] {
            if (!OnPage1()) return false;
            PressKey(window->GetHWND(), VK_ESCAPE);
            return true;
        });
        result = window->ShowModal();
    }
    EXPECT_EQ(result, 0u) << "cancelled, not 2 (the unreadable list)";
}

}  // namespace
}  // namespace qnb::ui::test
