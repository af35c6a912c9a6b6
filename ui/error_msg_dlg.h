// CErrorMsgDlg: a fatal message in two lines, with an OK button and the
// way to the security-software guide.
#pragma once

#include "ui/security_products.h"
#include "uikit/win32/window_impl_base.h"

namespace qnb::ui {

class CErrorMsgDlg : public uikit::WindowImplBase {
public:
    explicit CErrorMsgDlg(SecurityDetector& detector);

    // Shows message modally over owner; 1 when "确定" closed it.
    static UINT Run(HWND owner, const std::string& message, SecurityDetector& detector);

    // Before creation.
    void SetMessage(std::string message) { message_ = std::move(message); }

    std::string GetWindowClassName() const override { return "LostFile"; }
    std::string GetSkinFile() const override { return "LostFile.xml"; }

protected:
    void OnCreate() override;
    void InitWindow() override;
    void Notify(uikit::TNotifyUI& msg) override;

private:
    SecurityDetector& detector_;
    std::string message_;
};

}  // namespace qnb::ui
