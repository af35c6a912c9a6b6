#include "ui/wizard/page3.h"

#include "uikit/controls/checkbox.h"

namespace qnb::ui {

namespace {

bool PeOnlyOption(const std::string& name) { return name == "check_desktop" || name == "check_qqchatlog"; }

}  // namespace

CPage3::CPage3(AppContext& context, Desktop& desktop, FolderPicker& picker)
    : context_(context), desktop_(desktop), picker_(picker) {}

void CPage3::Init(uikit::WindowImplBase& wizard) {
    wizard_ = &wizard;
    folderList_ = wizard.Find<CFolderList>("folder_list");
    peMode_ = context_.IsPeMode();
    if (!peMode_) return;
    for (const char* name : {"check_desktop", "check_qqchatlog"}) {
        if (auto* option = wizard.Find<uikit::CCheckBoxUI>(name)) option->SetCheck(false, false);
    }
}

void CPage3::Notify(uikit::TNotifyUI& msg) {
    if (!msg.sender || !wizard_) return;
    if (msg.type == uikit::notify::kClick) {
        OnClick(*msg.sender);
    } else if (msg.type == uikit::notify::kSelectChanged && peMode_ && PeOnlyOption(msg.sender->GetName())) {
        // The click came before the box turned on: it goes off again at once.
        if (auto* option = dynamic_cast<uikit::CCheckBoxUI*>(msg.sender); option && option->GetCheck()) {
            option->SetCheck(false, false);
        }
    }
}

void CPage3::OnClick(uikit::CControlUI& sender) {
    const std::string& name = sender.GetName();
    if (name == "btn_add_folder") {
        std::optional<std::string> folder = picker_.Pick(wizard_->GetHWND(), context_.SystemLetter());
        if (folder && folderList_) folderList_->AddFolder(*folder);
    } else if (name == "delete") {
        if (folderList_) folderList_->RemoveRowOf(&sender);
    } else if (peMode_ && PeOnlyOption(name)) {
        auto* option = dynamic_cast<uikit::CCheckBoxUI*>(&sender);
        if (option && !option->GetCheck()) {
            desktop_.ShowMessage(wizard_->GetHWND(), kPeNoticeText, kPeNoticeCaption, MB_OK);
        }
    }
}

bool CPage3::Checked(const char* name) const {
    auto* option = wizard_ ? wizard_->Find<uikit::CCheckBoxUI>(name) : nullptr;
    return option && option->GetCheck();
}

BackupChoices CPage3::Choices() const {
    BackupChoices choices;
    choices.desktop = Checked("check_desktop");
    choices.qqChatLog = Checked("check_qqchatlog");
    choices.pictures = Checked("check_picture");
    choices.music = Checked("check_music");
    choices.documents = Checked("check_document");
    choices.videos = Checked("check_video");
    if (folderList_) choices.folders = folderList_->Folders();
    return choices;
}

}  // namespace qnb::ui
