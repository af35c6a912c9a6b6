// CXBackUpDlg: the system backup window. Page 0 shows what is about to be
// backed up (the desktop picture, the date, the Windows) and takes the
// user's description; "开始备份" leads to page 1, where the package is
// downloaded and the installer runs in backup mode; the finishing step
// records the backup in Setting.json, sets Option 1 and offers to restart.
// Inside the preinstallation environment "开始备份" goes straight to the
// finishing step and hands over to the environment's own program.
#pragma once

#include "ui/backup/desktop_camera.h"
#include "ui/backup/flow_services.h"
#include "ui/backup/package_flow_win32.h"
#include "uikit/win32/window_impl_base.h"

#include <memory>
#include <string>

namespace qnb::ui {

class CXBackUpDlg : public uikit::WindowImplBase {
public:
    // Fills page 0 once, 300 ms after the window is made.
    static constexpr UINT kFillTimer = 322;
    static constexpr UINT kFillTimerMs = 300;
    // The desktop is given 500 ms to show before its picture is taken.
    static constexpr UINT kPictureTimer = 323;
    static constexpr UINT kPictureTimerMs = 500;

    CXBackUpDlg(const FlowServices& services, DesktopCamera& camera);
    ~CXBackUpDlg() override;

    std::string GetWindowClassName() const override { return "BackupDlg"; }
    std::string GetSkinFile() const override { return "BackupDlg.xml"; }
    std::unique_ptr<uikit::CControlUI> CreateControl(std::string_view tag) override;

    // The desktop picture in the temporary folder; "" until it is taken,
    // and always in the preinstallation environment.
    const std::string& PicturePath() const { return picturePath_; }

protected:
    void OnCreate() override;
    void InitWindow() override;
    void Notify(uikit::TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT MessageFilter(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void FillPage();
    void TakePicture();
    void ShowLabels();
    void OnOk();
    // The finishing step, on the window's thread.
    void Finish();

    FlowServices services_;
    DesktopCamera& camera_;
    std::string picturePath_;
    bool handedOver_ = false;  // inside the environment: changeDesk.exe was started
    std::unique_ptr<PackageFlow> flow_;
};

}  // namespace qnb::ui
