// CRestoreDlg: the restore window. Page 0 lists the backups of
// Record.json and shows the selected one (image size, Windows, desktop
// picture, description); "开始还原" leads to page 1, where the package is
// downloaded and the installer runs in restore mode, whose ending calls
// the preparation step (Option 2 and the image's name in SETTING.JSON).
// Inside the preinstallation environment "开始还原" prepares at once and
// hands over to the environment's own program.
#pragma once

#include "ui/backup/flow_services.h"
#include "ui/backup/package_flow_win32.h"
#include "ui/restore/backup_records.h"
#include "uikit/win32/window_impl_base.h"

#include <memory>
#include <string>
#include <vector>

namespace qnb::ui {

class CXImageList;

class CRestoreDlg : public uikit::WindowImplBase {
public:
    static constexpr UINT kStartMessage = WM_APP + 2;

    explicit CRestoreDlg(const FlowServices& services);
    ~CRestoreDlg() override;

    std::string GetWindowClassName() const override { return "restoredlg"; }
    std::string GetSkinFile() const override { return "restore.xml"; }
    std::unique_ptr<uikit::CControlUI> CreateControl(std::string_view tag) override;

    const std::vector<BackupRecord>& Records() const { return records_; }

protected:
    void OnCreate() override;
    void InitWindow() override;
    void Notify(uikit::TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT MessageFilter(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void Start();
    int Selected() const;
    void ShowSelected();
    void OnOk();
    // Option 2 and the chosen image's name, on the window's thread.
    void Prepare();
    void AskQuit();

    FlowServices services_;
    std::vector<BackupRecord> records_;
    int chosen_ = -1;  // the backup "开始还原" was pressed for
    bool handedOver_ = false;  // inside the environment: changeDesk.exe was started
    std::unique_ptr<PackageFlow> flow_;
};

}  // namespace qnb::ui
