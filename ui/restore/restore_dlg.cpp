#include "ui/restore/restore_dlg.h"

#include "platform/ascii.h"
#include "ui/backup/system_backup.h"
#include "ui/restore/image_list.h"
#include "ui/shared_windows.h"
#include "ui/show_picture_dlg.h"
#include "ui/xprogress.h"
#include "uikit/controls/tab_layout.h"

namespace qnb::ui {

namespace {
constexpr char kArea[] = "restore";
}

CRestoreDlg::CRestoreDlg(const FlowServices& services) : services_(services) {
    installer::win32::OwnerWindow::Steps steps;
    steps.prepareRestore = [this] { Prepare(); };
    flow_ = std::make_unique<PackageFlow>(*this, services_, installer::PeInstallMode::kRestore, TimeLeftStyle::kPadded,
                                          std::move(steps));
}

CRestoreDlg::~CRestoreDlg() = default;

std::unique_ptr<uikit::CControlUI> CRestoreDlg::CreateControl(std::string_view tag) {
    if (ascii::EqualsIgnoringCase(tag, CXProgressUI::kElement)) return std::make_unique<CXProgressUI>();
    if (CXImageList::IsElement(tag)) return std::make_unique<CXImageList>();
    return nullptr;
}

void CRestoreDlg::OnCreate() { SetShadow(WindowShadow()); }

void CRestoreDlg::InitWindow() {
    records_ = LoadBackupRecords(*services_.files, services_.context->WorkspacePath());
    if (auto* list = Find<CXImageList>("list_backup_image")) {
        for (const std::string& text : BackupRowTexts(records_, services_.localDate)) list->AddImage(text);
    }
    // The messages of the start show over the window, so they wait until it is up.
    PostMessageW(GetHWND(), kStartMessage, 0, 0);
}

void CRestoreDlg::Start() {
    if (records_.empty()) {
        services_.desktop->ShowMessage(GetHWND(), kNoBackupsText, kRestoreErrorCaption, MB_OK);
        Close(2);
        return;
    }
    OrNoLog(services_.log).Write(kArea, std::to_string(records_.size()) + " backups listed");
    // Selecting notifies "itemselect", which shows the backup.
    if (auto* list = Find<CXImageList>("list_backup_image")) list->SelectItem(list->GetCount() - 1);
}

int CRestoreDlg::Selected() const {
    auto* list = Find<CXImageList>("list_backup_image");
    int index = list ? list->GetCurSel() : -1;
    return index >= 0 && index < static_cast<int>(records_.size()) ? index : -1;
}

void CRestoreDlg::ShowSelected() {
    const int index = Selected();
    if (index < 0) return;
    BackupView view = ViewOfBackup(records_[index], *services_.files, services_.context->WorkspacePath());
    if (!view.found) {
        services_.desktop->ShowMessage(GetHWND(), kImageMissingText, kRestoreErrorCaption, MB_OK);
        if (auto* list = Find<CXImageList>("list_backup_image")) list->SelectItem(-1, false);
    }
    if (uikit::CControlUI* size = FindControl("restore_backup_size")) size->SetText(view.sizeText);
    if (uikit::CControlUI* system = FindControl("restore_backup_system")) system->SetText(view.systemText);
    if (uikit::CControlUI* picture = FindControl("btn_desktopimage")) picture->SetBkImage(view.picture);
    if (uikit::CControlUI* note = FindControl("edit_backupinfo")) note->SetText(view.note);
}

void CRestoreDlg::OnOk() {
    if (handedOver_) return;  // the window only waits for its close
    const int index = Selected();
    if (index < 0) {
        services_.desktop->ShowMessage(GetHWND(), kChooseBackupText, kRestoreErrorCaption, MB_OK);
        return;
    }
    chosen_ = index;
    if (services_.context->IsPeMode()) {
        handedOver_ = true;
        Prepare();
        Result<ProcessOutcome> started = services_.process->Run(HandOverRequest());
        if (!started) OrNoLog(services_.log).Failed(kArea, started.failure());
        Close(1);
        return;
    }
    if (auto* tab = Find<uikit::CTabLayoutUI>("restore_main_tab")) tab->SelectItem(1);
    flow_->Start();
}

void CRestoreDlg::Prepare() {
    if (chosen_ < 0) return;
    AppContext& context = *services_.context;
    context.SetOption(2);
    // strImagePath is the image's name; the environment finds it in 系统备份.
    context.SetImageFile(ImagePathOf(records_[chosen_], context.WorkspacePath()));
    OrNoLog(services_.log).Write(kArea, "Option 2, strImagePath " + records_[chosen_].file);
}

void CRestoreDlg::AskQuit() {
    if (services_.desktop->ShowMessage(GetHWND(), kQuitText, kQuitCaption, MB_YESNO) == IDYES && flow_->Quit()) {
        Close(2);
    }
}

void CRestoreDlg::Notify(uikit::TNotifyUI& msg) {
    if (msg.type == uikit::notify::kSetFocus) {
        SetTopmost(false);
        return;
    }
    if (msg.type == uikit::notify::kItemSelect) {
        ShowSelected();
        return;
    }
    if (msg.type != uikit::notify::kClick || !msg.sender) return;
    const std::string& name = msg.sender->GetName();
    if (name == "btn_close") {
        AskQuit();
    } else if (name == "btn_minsize") {
        SendMessageW(GetHWND(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name == "btn_ok") {
        OnOk();
    } else if (name == "btn_desktopimage") {
        const std::string picture = msg.sender->GetBkImage();
        if (!picture.empty()) CShowPictureDlg::RunPicture(GetHWND(), picture);
    }
}

LRESULT CRestoreDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = false;
    if (msg == kStartMessage) {
        handled = true;
        Start();
    } else if (flow_->HandleMessage(msg, wParam, lParam)) {
        handled = true;
    } else if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        handled = true;
        AskQuit();
    }
    return 0;
}

LRESULT CRestoreDlg::MessageFilter(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    handled = IsSwallowedKey(msg, static_cast<unsigned>(wParam));
    return 0;
}

}  // namespace qnb::ui
