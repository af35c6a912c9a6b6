#include "ui/wizard/test_support/backup_page_host_win32.h"

#include "ui/shared_windows.h"
#include "uikit/controls/option.h"
#include "uikit/controls/tab_layout.h"

namespace qnb::ui::test {

BackupPageHost::BackupPageHost(AppContext& context, Desktop& desktop, FolderPicker& picker)
    : page_(context, desktop, picker) {
    AddVirtualWnd(CPage3::kVirtualWnd, &page_);
}

std::unique_ptr<uikit::CControlUI> BackupPageHost::CreateControl(std::string_view tag) {
    if (CFolderList::IsElement(tag)) return std::make_unique<CFolderList>();
    return nullptr;
}

void BackupPageHost::OnCreate() { SetShadow(WindowShadow()); }

void BackupPageHost::InitWindow() {
    page_.Init(*this);
    // Step 2 of the wizard: the backup-file page.
    if (auto* tab = Find<uikit::CTabLayoutUI>("install_main_tab")) tab->SelectItem(3);
    if (auto* option = Find<uikit::COptionUI>("option_backupfile")) option->Selected(true, false);
    if (uikit::CControlUI* next = FindControl("btn_next")) next->SetText("完成");
}

void BackupPageHost::Notify(uikit::TNotifyUI& msg) {
    if (msg.type == uikit::notify::kClick && msg.sender && msg.sender->GetName() == "btn_close") Close(2);
}

}  // namespace qnb::ui::test
