// CWaring: the notice shown before every action, asking the user to
// switch security software off. On the first showing its button can be
// pressed only after five seconds; the window can be left only by it.
#pragma once

#include "app/app_context.h"
#include "ui/countdowns.h"
#include "ui/security_products.h"
#include "uikit/win32/window_impl_base.h"

namespace qnb::ui {

class CWaring : public uikit::WindowImplBase {
public:
    static constexpr UINT kCountdownTimer = 232;

    // countdown: the process's counter (tests give their own).
    CWaring(AppContext& context, SecurityDetector& detector, WaringCountdown& countdown = ProcessCountdown());
    static WaringCountdown& ProcessCountdown();

    // Shows the notice modally over owner, topmost and centred.
    static void Run(HWND owner, AppContext& context, SecurityDetector& detector);

    std::string GetWindowClassName() const override { return "Waring"; }
    std::string GetSkinFile() const override { return "waring.xml"; }

protected:
    void OnCreate() override;
    void InitWindow() override;
    void Notify(uikit::TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT MessageFilter(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    AppContext& context_;
    SecurityDetector& detector_;
    WaringCountdown& countdown_;
};

}  // namespace qnb::ui
