#include "ui/backup/backup_dlg.h"

#include "installer/pe_install_mode.h"
#include "platform/ascii.h"
#include "ui/backup/system_backup.h"
#include "ui/shared_windows.h"
#include "ui/xprogress.h"
#include "uikit/controls/tab_layout.h"

namespace qnb::ui {

namespace {
constexpr char kArea[] = "system backup";
}

CXBackUpDlg::CXBackUpDlg(const FlowServices& services, DesktopCamera& camera)
    : services_(services), camera_(camera) {
    installer::win32::OwnerWindow::Steps steps;
    steps.handOverBackup = [this] { Finish(); };
    flow_ = std::make_unique<PackageFlow>(*this, services_, installer::PeInstallMode::kBackup, TimeLeftStyle::kPlain,
                                          std::move(steps));
}

CXBackUpDlg::~CXBackUpDlg() = default;

std::unique_ptr<uikit::CControlUI> CXBackUpDlg::CreateControl(std::string_view tag) {
    if (ascii::EqualsIgnoringCase(tag, CXProgressUI::kElement)) return std::make_unique<CXProgressUI>();
    return nullptr;
}

void CXBackUpDlg::OnCreate() { SetShadow(WindowShadow()); }

void CXBackUpDlg::InitWindow() { SetTimer(kFillTimer, kFillTimerMs); }

void CXBackUpDlg::FillPage() {
    AppContext& context = *services_.context;
    if (context.IsPeMode()) {
        if (!WindowsOnDrive(*services_.files, context.SystemLetter())) {
            services_.desktop->ShowMessage(GetHWND(), kNoWindowsText, kNoWindowsCaption, MB_OK);
            Close(2);
            return;
        }
        ShowLabels();
        return;
    }
    // Out of the picture: this window, then every other one.
    ShowWindow(false, false);
    camera_.ShowDesktop();
    SetTimer(kPictureTimer, kPictureTimerMs);
}

void CXBackUpDlg::TakePicture() {
    const std::string path = camera_.Folder() + PictureFileName(services_.now());
    if (camera_.TakePicture(path)) {
        picturePath_ = path;
    } else {
        // Without a picture the backup goes on: "pic" stays empty.
        OrNoLog(services_.log).Write(kArea, "the desktop picture could not be taken");
    }
    SetTopmost(true);
    ShowWindow(true, true);
    BringWindowToTop(GetHWND());
    SetTopmost(false);
    if (uikit::CControlUI* label = FindControl("label_desktopimage")) label->SetBkImage(picturePath_);
    ShowLabels();
}

void CXBackUpDlg::ShowLabels() {
    AppContext& context = *services_.context;
    if (uikit::CControlUI* time = FindControl("label_backuptime")) {
        time->SetText(BackupTimeText(services_.localDate(services_.now())));
    }
    if (uikit::CControlUI* system = FindControl("label_backupsystem")) {
        system->SetText(BackupSystemText(context.OsName(), context.Is64()));
    }
}

void CXBackUpDlg::OnOk() {
    if (services_.context->IsPeMode()) {
        // Once handed over the window only waits for its close.
        if (!handedOver_) Finish();
        return;
    }
    if (auto* tab = Find<uikit::CTabLayoutUI>("backup_main_tab")) tab->SelectItem(1);
    flow_->Start();
}

void CXBackUpDlg::Finish() {
    AppContext& context = *services_.context;
    std::string note;
    if (uikit::CControlUI* edit = FindControl("edit_backupinfo")) note = edit->GetText();
    if (!WriteBackupDescription(*services_.files, context, picturePath_, note, services_.now(), services_.log)) {
        // No restart into an environment that would not find its work: the
        // boot entry the installer made is taken back as well.
        if (!context.IsPeMode() && services_.undoInstall) services_.undoInstall();
        services_.desktop->ShowMessage(GetHWND(), installer::ModeOf(installer::PeInstallMode::kBackup).copyFailureText,
                                       "错误", MB_OK | MB_ICONERROR);
        return;
    }
    if (context.IsPeMode()) {
        handedOver_ = true;
        Result<ProcessOutcome> started = services_.process->Run(HandOverRequest());
        if (!started) OrNoLog(services_.log).Failed(kArea, started.failure());
        Close(1);
        return;
    }
    if (uikit::CControlUI* info = FindControl("pedownload_info")) info->SetText(kBackupAfterRestartText);
    if (uikit::CControlUI* remain = FindControl("pedownload_remain")) remain->SetText(" ");
    if (services_.desktop->ShowMessage(GetHWND(), kBackupRestartQuestion, kBackupRestartCaption, MB_YESNO) == IDYES &&
        services_.restart) {
        services_.restart();
    }
}

void CXBackUpDlg::Notify(uikit::TNotifyUI& msg) {
    if (msg.type == uikit::notify::kSetFocus) {
        SetTopmost(false);
        return;
    }
    if (msg.type != uikit::notify::kClick || !msg.sender) return;
    const std::string& name = msg.sender->GetName();
    if (name == "btn_close") {
        if (services_.desktop->ShowMessage(GetHWND(), kQuitText, kQuitCaption, MB_YESNO) == IDYES && flow_->Quit()) {
            Close(2);
        }
    } else if (name == "btn_minsize") {
        SendMessageW(GetHWND(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name == "btn_ok") {
        OnOk();
    }
}

LRESULT CXBackUpDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = false;
    if (msg == WM_TIMER && wParam == kFillTimer) {
        handled = true;
        KillTimer(kFillTimer);
        FillPage();
    } else if (msg == WM_TIMER && wParam == kPictureTimer) {
        handled = true;
        KillTimer(kPictureTimer);
        TakePicture();
    } else if (flow_->HandleMessage(msg, wParam, lParam)) {
        handled = true;
    } else if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        // Alt+F4 asks as btn_close does.
        handled = true;
        if (services_.desktop->ShowMessage(GetHWND(), kQuitText, kQuitCaption, MB_YESNO) == IDYES && flow_->Quit()) {
            Close(2);
        }
    }
    return 0;
}

LRESULT CXBackUpDlg::MessageFilter(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    // Only Escape: Enter and Space belong to the description.
    handled = msg == WM_KEYDOWN && wParam == VK_ESCAPE;
    return 0;
}

}  // namespace qnb::ui
