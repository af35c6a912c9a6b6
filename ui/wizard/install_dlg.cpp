#include "ui/wizard/install_dlg.h"

#include "filebackup/backup_error_file.h"
#include "filebackup/backup_texts.h"
#include "installer/pe_install_mode.h"
#include "jobs/posted_text.h"
#include "jobs/window_messages.h"
#include "platform/text.h"
#include "ui/error_msg_dlg.h"
#include "ui/shared_windows.h"
#include "ui/wizard/wizard_controls.h"
#include "ui/xprogress.h"
#include "uikit/controls/checkbox.h"
#include "uikit/controls/label.h"
#include "uikit/controls/option.h"
#include "uikit/controls/progress.h"
#include "uikit/controls/tab_layout.h"

#include <shellapi.h>

#include <cstdio>

namespace qnb::ui {

namespace {

constexpr char kArea[] = "wizard";

// The five controls of the selection strip, on the right (steps 1 and 2)
// and on the install page.
struct StripNames {
    const char* selected;
    const char* task;
    const char* speed;
    const char* size;
    const char* bar;
};
constexpr StripNames kStrip{"lab_selected_sys", "lab_sys_task", "lab_speed", "lab_size", "task_progress"};
constexpr StripNames kInstallStrip{"lab_selected_sys2", "lab_sys_task2", "lab_speed2", "lab_size2", "task_progress2"};

class SystemShell : public WizardShell {
public:
    void OpenFile(const std::string& path) override {
        ShellExecuteW(nullptr, L"open", text::Wide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    bool OpenHidden(const std::string& path) override {
        auto result = reinterpret_cast<INT_PTR>(
            ShellExecuteW(nullptr, L"open", text::Wide(path).c_str(), nullptr, nullptr, SW_HIDE));
        return result > 32;
    }
};

}  // namespace

WizardShell& SystemWizardShell() {
    static SystemShell shell;
    return shell;
}

void CInstallDlg::PageRelay::Notify(uikit::TNotifyUI& msg) {
    page_.Notify(msg);
    wizard_.OnAnyNotification(msg);
}

CInstallDlg::CInstallDlg(WizardPorts ports)
    : ports_(std::move(ports)),
      log_(OrNoLog(ports_.log)),
      systemChooser_(*ports_.isoTools, *ports_.files, *ports_.desktop),
      managerTasks_(*ports_.downloads),
      tasks_(ports_.tasks ? *ports_.tasks : managerTasks_),
      page1_(*ports_.context, ports_.imageChooser ? *ports_.imageChooser : systemChooser_),
      page3_(*ports_.context, *ports_.desktop, *ports_.folderPicker),
      pageHw_(*ports_.context, ports_.hardware, *ports_.clock) {
    AddVirtualWnd(CPageHW::kVirtualWnd, &hardwareRelay_);
    AddVirtualWnd(CPage1::kVirtualWnd, &systemRelay_);
    AddVirtualWnd(CPage3::kVirtualWnd, &backupRelay_);
    pageHw_.Start();
}

CInstallDlg::~CInstallDlg() {
    // The jobs end before the listeners they tell go.
    pageHw_.Stop();
    if (installerJob_ && !installerJob_->Finished()) {
        installerJob_->RequestStop();
        installerJob_->Join();
        TakeBackAfterQuit();
    }
    installerJob_.reset();
    backupJob_.reset();
}

void CInstallDlg::TakeBackAfterQuit() {
    // Stopped before the boot change, or failed (the installer then took its
    // entry back itself): nothing to undo. Past it, the ending was reached
    // although the user quit: a reinstall nobody wants any more must not
    // start at the next restart.
    std::optional<Status> outcome = installerJob_->Outcome();
    if (outcome && outcome->ok() && ports_.undoInstall) {
        log_.Write(kArea, "quit while the installer ran: its prepared start is taken back");
        ports_.undoInstall();
    }
}

std::unique_ptr<uikit::CControlUI> CInstallDlg::CreateControl(std::string_view tag) { return CreateWizardControl(tag); }

void CInstallDlg::OnCreate() { SetShadow(WindowShadow()); }

void CInstallDlg::InitWindow() {
    BringWindowToTop(GetHWND());
    peMode_ = ports_.context->IsPeMode();
    systemChooser_.SetOwner(GetHWND());
    hardwareListener_ = std::make_unique<win32::WindowJobListener>(GetHWND(), kHardwareJob);
    backupListener_ = std::make_unique<win32::WindowJobListener>(GetHWND(), kBackupJob);
    installerListener_ = std::make_unique<win32::WindowJobListener>(GetHWND(), kInstallerJob);
    backupReporter_ = std::make_unique<win32::WindowBackupReporter>(GetHWND(), log_);
    installerOwner_ = std::make_unique<installer::win32::WindowInstallerOwner>(
        GetHWND(), [this] { return restart_.load(); }, [this] { return backupErrors_.load(); });
    ownerWindow_ = std::make_unique<installer::win32::OwnerWindow>(*this, *ports_.desktop, *ports_.detector,
                                                                   installer::win32::OwnerWindow::Steps{});
    page1_.Init(Tree());
    page3_.Init(*this);
    pageHw_.SetReady(Tree(), hardwareListener_.get());

    // The catalogue check: without images yet, timer 1 fills the list again every second.
    if (page1_.Fill() > 0) {
        if (uikit::CControlUI* next = FindControl("btn_next")) next->SetEnabled(true);
    } else {
        SetTimer(kCatalogueTimer, 1000);
    }
    GoToStep(kStepHardware);
}

DownloadChoice CInstallDlg::Choice() const {
    AppContext& context = *ports_.context;
    DownloadChoice choice;
    HandoffValues handoff = context.Handoff();
    choice.localImage = handoff.localImage;
    choice.imagePath = handoff.imagePath;
    CatalogueEntry entry = context.SelectedEntry();
    if (entry.selected) {
        choice.imageUrl = entry.url;
        choice.imageName = entry.name;
        choice.imageType = entry.imagetype;
    }
    choice.peMode = peMode_;
    choice.packageUrl = context.PackageUrl();
    choice.workspace = context.WorkspacePath();
    return choice;
}

void CInstallDlg::GoToStep(int requested) {
    AppContext& context = *ports_.context;
    HandoffValues handoff = context.Handoff();
    StepMove move = MoveTo(requested, SystemChosen(handoff.localImage, handoff.imagePath, context.SelectedImageUrl()));
    if (move.noSystemMessage) ports_.desktop->ShowMessage(GetHWND(), kNoSystemText, kNoSystemCaption, MB_OK);
    step_ = move.step;
    const StepRow& row = StepRowOf(step_);
    uikit::CControlUI* back = FindControl("btn_back");
    uikit::CControlUI* next = FindControl("btn_next");
    if (back) back->SetEnabled(row.back);
    if (next && row.next) next->SetText(row.next);
    if (auto* option = Find<uikit::COptionUI>(row.option)) option->Selected(true, false);
    if (auto* tab = Find<uikit::CTabLayoutUI>("install_main_tab")) tab->SelectItem(row.tab);
    if (uikit::CControlUI* title = FindControl("title")) title->SetBkImage(row.title);
    if (move.startsInstall) StartInstall();
    RefreshStrip();
    RefreshTip();
}

void CInstallDlg::StartInstall() {
    if (installStage_) return;
    installStage_ = true;
    if (uikit::CControlUI* column = FindControl("right_list")) column->SetVisible(false);
    for (const char* name : {"btn_next", "btn_back", "option_system", "option_backupfile"}) {
        if (uikit::CControlUI* control = FindControl(name)) control->SetEnabled(false);
    }
    if (auto* option = Find<uikit::COptionUI>("option_download")) option->Selected(true, false);
    if (auto* tab = Find<uikit::CTabLayoutUI>("install_main_tab")) tab->SelectItem(StepRowOf(kStepInstall).tab);
    ApplyView(InstallLabels(Choice(), tasks_));

    BackupChoices choices = page3_.Choices();
    backupJob_ = std::make_unique<FileBackupJob>(
        *ports_.context, BackupPorts{*ports_.files, *ports_.shellFolders, *ports_.registry}, *backupReporter_, log_,
        *ports_.clock, backupListener_.get());
    if (!backupJob_->Start(std::move(choices))) {
        // Without the backup the reinstall would go on without the user's
        // files: the stage ends here, as a failed copy would end it.
        log_.Write(kArea, "the user-file backup did not start");
        PostFatalError(installer::ModeOf(installer::PeInstallMode::kReinstall).copyFailureText);
        return;
    }
    SetTimer(kDownloadTimer, 500);
}

void CInstallDlg::RefreshTip() {
    std::optional<int32_t> type;
    if (!ports_.context->Handoff().localImage) {
        CatalogueEntry entry = ports_.context->SelectedEntry();
        if (entry.selected) type = entry.imagetype;
    }
    if (uikit::CControlUI* tip = FindControl("install_tip")) tip->SetBkImage(TipPicture(step_, type));
    if (step_ >= kStepInstall) {
        if (uikit::CControlUI* cancel = FindControl("btn_cancle_install")) cancel->SetVisible(true);
    }
}

void CInstallDlg::RefreshStrip() {
    if (installStage_ || (step_ != kStepSystem && step_ != kStepBackupFiles)) return;
    if (uikit::CControlUI* label = FindControl("lab_sel")) label->SetVisible(true);
    ApplyView(StripRefresh(Choice(), tasks_));
}

void CInstallDlg::ApplyView(const DownloadView& view) {
    const StripNames& names = installStage_ ? kInstallStrip : kStrip;
    auto label = [this](const char* name, const LabelChange& change) {
        uikit::CControlUI* control = FindControl(name);
        if (!control) return;
        if (change.text) control->SetText(*change.text);
        if (change.colour) {
            if (auto* text = dynamic_cast<uikit::CLabelUI*>(control)) text->SetTextColor(*change.colour);
        }
        if (change.visible) control->SetVisible(*change.visible);
    };
    label(names.selected, view.selected);
    label(names.task, view.task);
    label(names.speed, view.speed);
    label(names.size, view.size);
    if (auto* bar = Find<uikit::CProgressUI>(names.bar)) {
        if (view.bar.value) bar->SetValue(*view.bar.value);
        if (view.bar.visible) bar->SetVisible(*view.bar.visible);
    }
    if (!installStage_) return;
    label("lab_net_retry", view.retry);
    if (view.circle) {
        if (auto* circle = Find<CXProgressUI>("circle_progress")) {
            circle->SetValue(*view.circle);
            circle->SetText(std::to_string(*view.circle) + "%");
        }
    }
    if (view.timeLeft) {
        if (uikit::CControlUI* time = FindControl("time_remain")) time->SetText(*view.timeLeft);
    }
}

void CInstallDlg::Poll() {
    PollResult result = poll_.Run(Choice(), tasks_);
    if (result.imageFile) ports_.context->SetImageFile(*result.imageFile);
    ApplyView(result.view);
    if (result.failed) {
        KillTimer(kDownloadTimer);
        log_.Write(kArea, "downloads failed");
        PostFatalError(result.fatalText);
    } else if (result.pending == 0) {
        KillTimer(kDownloadTimer);
        PostMessageW(GetHWND(), WM_STAGE_DONE, 0, 1);
    }
}

void CInstallDlg::PostFatalError(const std::string& text) {
    uintptr_t posted = NewPostedText(text);
    if (!PostMessageW(GetHWND(), WM_FATAL_ERROR, posted, 0)) DropPostedText(posted);
}

void CInstallDlg::OnStageDone(bool backupFinished, bool downloadsFinished) {
    if (backupFinished) {
        backupFinished_ = true;
        if (uikit::CControlUI* task = FindControl("backup_task")) task->SetText(kBackupDoneText);
    }
    if (downloadsFinished) downloadsFinished_ = true;
    if (!backupFinished_ || !downloadsFinished_ || handedOver_) return;
    handedOver_ = true;
    if (!peMode_) {
        log_.Write(kArea, "downloads and backup finished: the installer runs");
        installerJob_ = std::make_unique<Job>("installer", *ports_.clock, installerListener_.get());
        installerJob_->Start([this](JobControl& control) {
            return ports_.install(installer::PeInstallMode::kReinstall, *installerOwner_, control);
        });
        return;
    }
    if (!ports_.context->SetOption(0)) {
        // The environment's tool acts on SETTING.JSON as it is on disk.
        log_.Write(kArea, "SETTING.JSON was not saved: no hand-over");
        PostFatalError(installer::ModeOf(installer::PeInstallMode::kReinstall).copyFailureText);
        return;
    }
    if (!ports_.shell->OpenHidden(kChangeDeskPath)) {
        log_.Write(kArea, std::string("the shell did not open ") + kChangeDeskPath);
    }
    log_.Write(kArea, "handed over to the environment's tool; the wizard closes with 1");
    Close(1);
}

void CInstallDlg::OnBackupFileError(const std::string& path, uint32_t code) {
    const int count = ++backupErrors_;
    if (uikit::CControlUI* label = FindControl("backup_error")) {
        label->SetText(BackupErrorCountText(count));
        label->SetVisible(true);
    }
    (void)AppendBackupError(*ports_.files, ports_.context->WorkspacePath(), path, code, log_);
    if (uikit::CControlUI* button = FindControl("backup_error_code")) button->SetVisible(true);
    restart_ = false;
    if (auto* box = Find<uikit::CCheckBoxUI>("check_reboot")) box->SetCheck(false, false);
}

void CInstallDlg::OnFatalError(const std::string& text) {
    log_.Write(kArea, "fatal error shown");
    CErrorMsgDlg::Run(GetHWND(), text, *ports_.detector);
    if (EndsProgram(text)) PostQuitMessage(0);
    restart_ = false;
    Close(2);
}

void CInstallDlg::AskToQuit() {
    if (quitting_) return;
    if (ports_.desktop->ShowMessage(GetHWND(), kQuitText, kQuitCaption, MB_YESNO) != IDYES) return;
    if (!installerJob_ || installerJob_->Finished()) {
        Close(2);
        return;
    }
    // The installer may be past its boot change already: it is asked to
    // stop, and the window waits hidden for its end to take back what it
    // prepared (WM_JOB_EVENT).
    quitting_ = true;
    installerJob_->RequestStop();
    ShowWindow(false, false);
    log_.Write(kArea, "the wizard was closed while the installer ran: waiting for its end");
}

void CInstallDlg::OnAnyNotification(uikit::TNotifyUI& msg) {
    if (msg.type == uikit::notify::kSetFocus) {
        // The main window makes the wizard topmost; once the user works in it, it stops being so.
        SetTopmost(false);
    } else if (msg.type == uikit::notify::kSelectChanged || msg.type == uikit::notify::kItemSelect) {
        RefreshTip();
        RefreshStrip();
    }
}

void CInstallDlg::Notify(uikit::TNotifyUI& msg) {
    if (msg.sender && msg.type == uikit::notify::kClick) {
        const std::string& name = msg.sender->GetName();
        if (name == "btn_close" || name == "btn_cancle_install") {
            AskToQuit();
        } else if (name == "btn_minsize") {
            SendMessageW(GetHWND(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        } else if (name == "btn_next") {
            GoToStep(step_ + 1);
        } else if (name == "btn_back") {
            GoToStep(step_ - 1);
        } else if (name == "check_reboot") {
            // The click comes before the box turns: the flag is what it turns to.
            if (auto* box = dynamic_cast<uikit::CCheckBoxUI*>(msg.sender)) restart_ = !box->GetCheck();
        } else if (name == "backup_error_code") {
            ports_.shell->OpenFile(BackupErrorFilePath(ports_.context->WorkspacePath()));
        }
    }
    OnAnyNotification(msg);
}

LRESULT CInstallDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    switch (msg) {
    case WM_TIMER:
        if (wParam == kCatalogueTimer) {
            if (page1_.Fill() > 0) {
                KillTimer(kCatalogueTimer);
                if (uikit::CControlUI* next = FindControl("btn_next")) next->SetEnabled(true);
                RefreshStrip();
                RefreshTip();
            }
        } else if (wParam == kDownloadTimer) {
            Poll();
        } else if (wParam == kInstallingTimer) {
            if (uikit::CControlUI* time = FindControl("time_remain")) time->SetText(installingText_.Next());
        } else {
            handled = false;
        }
        return 0;
    case WM_JOB_EVENT:
        if (wParam == kHardwareJob) {
            hardwareListener_->Acknowledge();
            pageHw_.TakeNews();
        } else if (wParam == kInstallerJob && lParam == kJobFinished && installerJob_) {
            std::optional<Status> outcome = installerJob_->Outcome();
            if (outcome && !*outcome) log_.Failed(kArea, outcome->failure());
            if (quitting_) {
                TakeBackAfterQuit();
                Close(2);
            }
        }
        return 0;
    case WM_BACKUP_STATUS: {
        std::string text = TakePostedText(wParam);
        if (uikit::CControlUI* task = FindControl("backup_task")) task->SetText(text);
        if (backupReporter_) backupReporter_->StatusShown();
        return 0;
    }
    case WM_BACKUP_FILE_ERROR:
        OnBackupFileError(TakePostedText(wParam), static_cast<uint32_t>(lParam));
        return 0;
    case WM_STAGE_DONE:
        OnStageDone(wParam != 0, lParam != 0);
        return 0;
    case WM_FATAL_ERROR: {
        std::string text = TakePostedText(wParam);
        if (!quitting_) OnFatalError(text);  // the user has quit already
        return 0;
    }
    default:
        break;
    }
    if (ownerWindow_ && installer::win32::HandleInstallerMessage(msg, wParam, lParam, *ownerWindow_)) return 0;
    handled = false;
    return 0;
}

LRESULT CInstallDlg::MessageFilter(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    // No default button, no close on Escape.
    handled = IsSwallowedKey(msg, static_cast<unsigned>(wParam));
    return 0;
}

}  // namespace qnb::ui
