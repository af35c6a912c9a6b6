// CGuideToCloseSafe: which security programs are here, and a picture
// tutorial, step by step, for switching the chosen one off.
#pragma once

#include "ui/guide_steps.h"
#include "ui/security_products.h"
#include "uikit/win32/window_impl_base.h"

namespace qnb::ui {

class CGuideToCloseSafe : public uikit::WindowImplBase {
public:
    explicit CGuideToCloseSafe(SecurityDetector& detector);

    // Opens the guide modally over owner; returns when it is closed.
    static void Run(HWND owner, SecurityDetector& detector);

    std::string GetWindowClassName() const override { return "GuideToCloseSafe"; }
    std::string GetSkinFile() const override { return "GuideToCloseSafe.xml"; }

    const GuideSteps& Steps() const { return steps_; }

protected:
    void OnCreate() override;
    void InitWindow() override;
    void Notify(uikit::TNotifyUI& msg) override;

private:
    void ShowStep();

    SecurityDetector& detector_;
    GuideSteps steps_;
};

}  // namespace qnb::ui
