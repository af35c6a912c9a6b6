#include "ui/main_dlg.h"

#include "ui/menu_list.h"
#include "ui/shared_windows.h"
#include "ui/waring_dlg.h"
#include "ui/window_styles.h"

namespace qnb::ui {

namespace {
constexpr char kMainSource[] = "?src=reinstall_client";
}

CMainDlg::CMainDlg(AppContext& context, Desktop& desktop, SecurityDetector& detector, MainDlgHooks hooks)
    : context_(context),
      desktop_(desktop),
      detector_(detector),
      hooks_(std::move(hooks)),
      menu_(std::make_unique<CXMenuList>(context, desktop, hooks_.preparedStart)) {}

CMainDlg::~CMainDlg() = default;

std::unique_ptr<CMainDlg> CMainDlg::Open(AppContext& context, Desktop& desktop, SecurityDetector& detector,
                                         MainDlgHooks hooks) {
    auto window = std::make_unique<CMainDlg>(context, desktop, detector, std::move(hooks));
    if (!window->Create(nullptr, "Tessaly重装助手", kWindowStyle, kAppWindowExStyle)) return nullptr;
    window->SetIcon(128);
    window->CenterWindow();
    window->ShowWindow(true, true);
    return window;
}

void CMainDlg::OnCreate() { SetShadow(WindowShadow()); }

void CMainDlg::InitWindow() {
    // The checks show their messages over the window, so they run once it is up.
    PostMessageW(GetHWND(), kStartMessage, 0, 0);
}

void CMainDlg::Start() {
    if (!context_.IsReady()) {
        desktop_.ShowMessage(GetHWND(), NotReadyText(), kErrorCaption, MB_OK);
        return;
    }
    if (WorkspaceOnSystemDrive(context_.WorkspacePath(), context_.SystemLetter())) {
        desktop_.ShowMessage(GetHWND(), kSameDriveText, kErrorCaption, MB_OK);
    }
    if (!context_.IsPeMode()) {
        SetTimer(kUpdateTimer, 1000);
        return;
    }
    std::string commandLine = hooks_.commandLine ? hooks_.commandLine() : std::string();
    if (std::optional<MainAction> action = FindModeSwitch(commandLine)) RunModeSwitch(*action);
}

void CMainDlg::ShowUpdatePrompt() {
    UpdatePrompt prompt = DecideUpdatePrompt(context_.UpdateState(), context_.Update());
    if (!prompt.show) return;
    if (uikit::CControlUI* label = FindControl("new_ver")) label->SetText(prompt.newVersionText);
    if (uikit::CControlUI* button = FindControl("update")) button->SetEnabled(true);
    if (uikit::CControlUI* badge = FindControl("lab_needupdate")) badge->SetBkImage("skin/ver12.png");
    updateUrl_ = prompt.url;
    if (prompt.ask && desktop_.ShowMessage(GetHWND(), kUpdateQuestion, kUpdateCaption, MB_YESNO) == IDYES) {
        desktop_.OpenUrl(updateUrl_, SW_SHOWMAXIMIZED);
    }
}

bool CMainDlg::RunActionWindow(MainAction action) {
    // The event says the user chose the action; it goes out before the window is made.
    const ActionInfo& info = Info(action);
    if (hooks_.report) hooks_.report(info.usageEvent);
    actionWindow_ = hooks_.createActionWindow ? hooks_.createActionWindow(action) : nullptr;
    if (!actionWindow_) return false;
    if (!actionWindow_->GetHWND() && !actionWindow_->Create(GetHWND(), info.title, kWindowStyle, info.exStyle)) {
        actionWindow_.reset();
        return false;
    }
    actionWindow_->CenterWindow();
    ShowWindow(false, false);
    actionWindow_->ShowModal();
    actionWindow_.reset();
    return true;
}

void CMainDlg::RunAction(MainAction action) {
    CWaring::Run(GetHWND(), context_, detector_);
    if (!context_.IsReady()) {
        desktop_.ShowMessage(GetHWND(), kNotReadyActionText, kErrorCaption, MB_OK);
        return;
    }
    if (!RunActionWindow(action)) {
        desktop_.ShowMessage(GetHWND(), NotInThisBuildText(action), kNoticeCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    ShowWindow(true, true);
}

void CMainDlg::RunModeSwitch(MainAction action) {
    if (!RunActionWindow(action)) {
        desktop_.ShowMessage(GetHWND(), NotInThisBuildText(action), kNoticeCaption, MB_OK | MB_ICONINFORMATION);
    }
    // In the preinstallation environment the program ends with the chosen window.
    Close(IDOK);
}

void CMainDlg::Notify(uikit::TNotifyUI& msg) {
    if (msg.type != uikit::notify::kClick || !msg.sender) return;
    const std::string& name = msg.sender->GetName();
    if (name == "btn_close") {
        Close(IDOK);
    } else if (name == "btn_minsize") {
        SendMessageW(GetHWND(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name == "btn_install") {
        RunAction(MainAction::kReinstall);
    } else if (name == "btn_backup") {
        RunAction(MainAction::kBackup);
    } else if (name == "btn_restore") {
        RunAction(MainAction::kRestore);
    } else if (name == "btn_menu") {
        menu_->Popup(GetHWND(), msg.sender->GetPos());
    } else if (name == "site" || name == "course" || name == "feetback" || name == "about") {
        const char* path = name == "site"       ? "/"
                           : name == "course"   ? "/jiaocheng/"
                           : name == "feetback" ? "/contactus.html"
                                                : "/aboutus.html";
        desktop_.OpenUrl(SiteLink(QNB_SITE_HOST, std::string(path) + kMainSource), SW_SHOWMAXIMIZED);
    } else if (name == "update") {
        if (!updateUrl_.empty()) desktop_.OpenUrl(updateUrl_, SW_SHOWMAXIMIZED);
    }
}

LRESULT CMainDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    handled = false;
    if (msg == kStartMessage) {
        handled = true;
        Start();
    } else if (msg == WM_TIMER && wParam == kUpdateTimer) {
        handled = true;
        // The answer is looked at once: a later one brings no prompt.
        KillTimer(kUpdateTimer);
        ShowUpdatePrompt();
    }
    return 0;
}

LRESULT CMainDlg::MessageFilter(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    handled = IsSwallowedKey(msg, static_cast<unsigned>(wParam));
    return 0;
}

void CMainDlg::OnFinalMessage() {
    if (hooks_.closed) hooks_.closed();
}

}  // namespace qnb::ui
