// The wizard's window (InstallDlg.xml) showing the backup-file page, with
// CPage3 routed as the wizard routes it: for the page's Wine tests and its
// screenshots. Test builds only.
#pragma once

#include "ui/wizard/page3.h"
#include "uikit/win32/window_impl_base.h"

namespace qnb::ui::test {

class BackupPageHost : public uikit::WindowImplBase {
public:
    BackupPageHost(AppContext& context, Desktop& desktop, FolderPicker& picker);

    std::string GetWindowClassName() const override { return "installdlg"; }
    std::string GetSkinFile() const override { return "InstallDlg.xml"; }
    std::unique_ptr<uikit::CControlUI> CreateControl(std::string_view tag) override;

    CPage3& Page() { return page_; }

protected:
    void OnCreate() override;
    void InitWindow() override;
    // btn_close ends the window with 2, as the wizard does once the user confirms.
    void Notify(uikit::TNotifyUI& msg) override;

private:
    CPage3 page_;
};

}  // namespace qnb::ui::test
