// CMainDlg: the start window. Three actions (reinstall, back up, restore),
// each after the security notice; links to the product site; the update
// prompt one second after it opens; in the preinstallation environment the
// window a command-line switch names.
#pragma once

#include "app/app_context.h"
#include "ui/desktop.h"
#include "ui/main_logic.h"
#include "ui/menu_list.h"
#include "ui/security_products.h"
#include "uikit/win32/window_impl_base.h"

#include <functional>
#include <memory>

namespace qnb::ui {

// What the start-up code gives the main window.
struct MainDlgHooks {
    // Sends a usage report of a kind (3 backup, 5 restore, 7 reinstall window opened).
    std::function<void(int kind)> report;
    // The window of an action, not yet created; nullptr while this build has none.
    std::function<std::unique_ptr<uikit::WindowImplBase>(MainAction)> createActionWindow;
    // The command line the PE-mode switches are looked for in.
    std::function<std::string()> commandLine;
    // The window has gone (the program posts its quit message here).
    std::function<void()> closed;
    // The prepared start the menu offers to take back.
    PreparedStartHooks preparedStart;
};

class CMainDlg : public uikit::WindowImplBase {
public:
    static constexpr UINT kUpdateTimer = 2323;
    static constexpr UINT kStartMessage = WM_APP + 1;

    CMainDlg(AppContext& context, Desktop& desktop, SecurityDetector& detector, MainDlgHooks hooks);
    ~CMainDlg() override;

    // The program's main window: created without a parent, with the
    // program's icon, centred, shown and focused. nullptr when it cannot be
    // made (the skin is broken).
    static std::unique_ptr<CMainDlg> Open(AppContext& context, Desktop& desktop, SecurityDetector& detector,
                                          MainDlgHooks hooks);

    std::string GetWindowClassName() const override { return "PEInstallerDlg"; }
    std::string GetSkinFile() const override { return "MainDlg.xml"; }

protected:
    void OnCreate() override;
    void InitWindow() override;
    void Notify(uikit::TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT MessageFilter(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnFinalMessage() override;

private:
    void Start();
    void ShowUpdatePrompt();
    void RunAction(MainAction action);
    void RunModeSwitch(MainAction action);
    // Creates and runs an action window; false when this build has none.
    bool RunActionWindow(MainAction action);

    AppContext& context_;
    Desktop& desktop_;
    SecurityDetector& detector_;
    MainDlgHooks hooks_;
    std::unique_ptr<CXMenuList> menu_;
    std::unique_ptr<uikit::WindowImplBase> actionWindow_;
    std::string updateUrl_;
};

}  // namespace qnb::ui
