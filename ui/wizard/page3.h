// CPage3: the reinstall wizard's backup-file page (tab "tab_backupfile",
// index 3 of install_main_tab): six options and the folder list. It only
// collects the choices; the backup thread gets them through Choices() when
// the wizard reaches its last step.
#pragma once

#include "app/app_context.h"
#include "filebackup/backup_thread.h"
#include "ui/desktop.h"
#include "ui/wizard/folder_list.h"
#include "ui/wizard/folder_picker.h"
#include "uikit/core/event.h"
#include "uikit/win32/window_impl_base.h"

namespace qnb::ui {

// Shown inside the preinstallation environment for the desktop and QQ options.
constexpr char kPeNoticeCaption[] = "提示";
constexpr char kPeNoticeText[] = "PE下运行不支持备份桌面文件夹，\r\n如有需要请在下方列表中添加相应文件夹进行备份。";

class CPage3 : public uikit::INotifyUI {
public:
    // The virtual window the wizard routes this page's notifications from.
    static constexpr char kVirtualWnd[] = "tab_backupfile";

    CPage3(AppContext& context, Desktop& desktop, FolderPicker& picker);

    // Once the wizard's window exists (with its controls): finds the folder
    // list; inside the preinstallation environment turns the desktop and QQ
    // options off, since neither can be had there.
    void Init(uikit::WindowImplBase& wizard);

    void Notify(uikit::TNotifyUI& msg) override;

    // The options and the folder list as they stand (on the window's thread).
    BackupChoices Choices() const;
    CFolderList* FolderList() const { return folderList_; }

private:
    void OnClick(uikit::CControlUI& sender);
    bool Checked(const char* name) const;

    AppContext& context_;
    Desktop& desktop_;
    FolderPicker& picker_;
    uikit::WindowImplBase* wizard_ = nullptr;
    CFolderList* folderList_ = nullptr;
    bool peMode_ = false;
};

}  // namespace qnb::ui
