// The backup-file page in the wizard's window under Wine, driven as the
// automation channel drives it; message boxes go to a recorder and the
// folder picker is a stand-in (its own test: folder_picker_win32_test.cpp).
#include "ui/wizard/page3.h"

#include "ui/test_support/shared_windows_win32.h"
#include "ui/window_styles.h"
#include "ui/wizard/test_support/backup_page_host_win32.h"
#include "uikit/automation/automation.h"

#include <deque>

namespace qnb::ui::test {
namespace {

class FakePicker : public FolderPicker {
public:
    std::optional<std::string> Pick(HWND owner, char driveLetter) override {
        asked.push_back({owner, driveLetter});
        if (answers.empty()) return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::optional<std::string>> answers;
    std::vector<std::pair<HWND, char>> asked;
};

std::unique_ptr<BackupPageHost> OpenPage(AppContext& context, Desktop& desktop, FolderPicker& picker) {
    auto host = std::make_unique<BackupPageHost>(context, desktop, picker);
    EXPECT_TRUE(host->Create(nullptr, "重装 - Tessaly重装助手", kPopupStyle, kTopmostExStyle));
    EXPECT_EQ(host->LayoutProblems(), std::vector<std::string>{});
    host->ShowWindow(true, true);
    Pump(20);
    return host;
}

bool Checked(uikit::WindowImplBase& window, const char* name) { return Control(window, name)["checked"].asInt() == 1; }

TEST_F(SharedWindows, BackupPageListsTheSameFolderTwiceAndDeletesTheMiddleRow) {
    Machine machine;
    FakePicker picker;
    picker.answers = {"C:\\Users\\me\\Pictures", "C:\\工作", "C:\\Users\\me\\Pictures", std::nullopt};
    auto page = OpenPage(machine.context, desktop, picker);
    EXPECT_EQ(Control(*page, "install_main_tab")["value"].asInt(), 3);
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(Click(*page, "btn_add_folder"));
    ASSERT_EQ(picker.asked.size(), 4u);
    EXPECT_EQ(picker.asked[0], std::make_pair(page->GetHWND(), 'C')) << "owned by the wizard, rooted at C:";
    CFolderList* list = page->Page().FolderList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Folders(), (std::vector<std::string>{"C:\\Users\\me\\Pictures", "C:\\工作",
                                                         "C:\\Users\\me\\Pictures"}))
        << "two rows of the same folder; a cancelled picker adds none";

    uikit::CControlUI* middle = uikit::ControlTree::FindIn(list->GetItemAt(1), "delete");
    ASSERT_NE(middle, nullptr);
    uikit::automation::ClickTarget target = uikit::automation::FindClickTarget(page->Tree(), *middle);
    ASSERT_EQ(target.problem, "");
    uikit::automation::Click(page->Tree(), target);
    EXPECT_EQ(list->Folders(), (std::vector<std::string>{"C:\\Users\\me\\Pictures", "C:\\Users\\me\\Pictures"}));

    ASSERT_TRUE(Click(*page, "check_picture"));
    ASSERT_TRUE(Click(*page, "check_desktop"));
    BackupChoices choices = page->Page().Choices();
    EXPECT_TRUE(choices.pictures && choices.desktop);
    EXPECT_FALSE(choices.qqChatLog || choices.music || choices.documents || choices.videos);
    EXPECT_EQ(choices.folders, list->Folders());
    EXPECT_EQ(desktop.messages, std::vector<std::string>{}) << "outside the environment the options toggle freely";
}

TEST_F(SharedWindows, BackupPageInThePreinstallationEnvironmentKeepsDesktopAndQqOff) {
    Machine machine(/*pe=*/true);
    FakePicker picker;
    auto page = OpenPage(machine.context, desktop, picker);
    const std::string notice = std::string(kPeNoticeCaption) + "|" + kPeNoticeText;
    ASSERT_TRUE(Click(*page, "check_desktop"));
    EXPECT_FALSE(Checked(*page, "check_desktop"));
    ASSERT_TRUE(Click(*page, "check_desktop"));
    EXPECT_FALSE(Checked(*page, "check_desktop")) << "and again";
    ASSERT_TRUE(Click(*page, "check_qqchatlog"));
    EXPECT_FALSE(Checked(*page, "check_qqchatlog"));
    EXPECT_EQ(desktop.messages, (std::vector<std::string>{notice, notice, notice}));
    ASSERT_TRUE(Click(*page, "check_music"));
    EXPECT_TRUE(Checked(*page, "check_music")) << "the categories are had in the environment too";
    EXPECT_EQ(desktop.messages.size(), 3u);
    BackupChoices choices = page->Page().Choices();
    EXPECT_FALSE(choices.desktop || choices.qqChatLog);
    EXPECT_TRUE(choices.music);
}

}  // namespace
}  // namespace qnb::ui::test
