#include "ui/wizard/test_support/backup_page_host_win32.h"

#include "ui/shared_windows.h"
#include "ui/wizard/wizard_controls.h"
#include "uikit/controls/option.h"
#include "uikit/controls/tab_layout.h"

namespace qnb::ui::test {

BackupPageHost::BackupPageHost(AppContext& context, Desktop& desktop, FolderPicker& picker)
    : page_(context, desktop, picker) {
    AddVirtualWnd(CPage3::kVirtualWnd, &page_);
}

std::unique_ptr<uikit::CControlUI> BackupPageHost::CreateControl(std::string_view tag) {
    return CreateWizardControl(tag);
}

void BackupPageHost::OnCreate() { SetShadow(WindowShadow()); }

void BackupPageHost::InitWindow() {
    page_.Init(*this);
    // Step 2 of the wizard: the backup-file page.
    if (auto* tab = Find<uikit::CTabLayoutUI>("install_main_tab")) tab->SelectItem(3);
    if (auto* option = Find<uikit::COptionUI>("option_backupfile")) option->Selected(true, false);
    if (uikit::CControlUI* next = FindControl("btn_next")) {
        next->SetText("完成");
        next->SetEnabled(true);
    }
    if (uikit::CControlUI* back = FindControl("btn_back")) back->SetEnabled(true);
    if (uikit::CControlUI* title = FindControl("title")) title->SetBkImage("skin/title3.png");
    if (uikit::CControlUI* tip = FindControl("install_tip")) tip->SetBkImage("skin/tip_backup.jpg");
}

void BackupPageHost::Notify(uikit::TNotifyUI& msg) {
    if (msg.type == uikit::notify::kClick && msg.sender && msg.sender->GetName() == "btn_close") Close(2);
}

}  // namespace qnb::ui::test
