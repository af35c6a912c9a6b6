#include "ui/wizard/page1.h"

#include "platform/ascii.h"
#include "uikit/controls/checkbox.h"

namespace qnb::ui {

namespace {

constexpr char kGroupOptionGroup[] = "soft_filter";
constexpr char kGroupOptionAttributes[] =
    "width=\"160\" normalimage=\"file='skin/soft_option.png' source='0,0,125,34' corner='4,4,4,4'\" "
    "hotimage=\"file='skin/soft_option.png' source='0,44,125,78' corner='4,4,4,4'\" "
    "selectedimage=\"file='skin/soft_option.png' source='0,88,125,122' corner='4,4,4,4'\" "
    "textcolor=\"#FFFFFFFF\" padding=\"0,0,2,0\" align=\"center\" font=\"1\" "
    // The pictures' own colours underneath, so that no seam between their stretched parts shows.
    "bkcolor=\"#FF6F9CC6\" hotbkcolor=\"#FF2B8FDB\" selectedbkcolor=\"#FF0F68AF\" borderround=\"4,4\"";

}  // namespace

bool IsIsoImagePath(const std::string& upperPath) {
    const size_t at = upperPath.find(".ISO");
    return at != std::string::npos && at + 4 == upperPath.size();
}

CPage1::CPage1(AppContext& context, LocalImageChooser& chooser) : context_(context), chooser_(chooser) {}

void CPage1::Init(uikit::ControlTree& tree) {
    tree_ = &tree;
    list_ = dynamic_cast<CSysListUI*>(tree.Find("sys_list"));
    ShowLocalOption();
}

uikit::CControlUI* CPage1::Find(const char* name) const { return tree_ ? tree_->Find(name) : nullptr; }

int CPage1::Fill() {
    auto* groups = dynamic_cast<uikit::CContainerUI*>(Find("sys_img_groups"));
    if (groups) groups->RemoveAll();
    groupOptions_.clear();
    groupIds_.clear();
    currentGroup_ = -1;
    for (const CatalogueGroup& group : context_.CatalogueGroups()) {
        auto option = std::make_unique<uikit::COptionUI>();
        option->SetGroup(kGroupOptionGroup);
        option->SetAttributeList(kGroupOptionAttributes);
        option->SetText(group.name);
        if (groupOptions_.empty()) {
            option->Selected(true, false);
            currentGroup_ = group.id;
        }
        if (!groups) continue;
        groupOptions_.push_back(static_cast<uikit::COptionUI*>(groups->Add(std::move(option))));
        groupIds_.push_back(group.id);
    }
    return FillList();
}

int CPage1::FillList() {
    if (!list_) return 0;
    std::vector<CatalogueEntry> entries = context_.CatalogueEntriesOfGroup(currentGroup_);
    list_->RemoveAllRows();
    if (entries.empty()) {
        // The group row stays: another group may have images.
        ShowEmptyView(emptyFills_++ > kEmptyFillsBeforeError);
        return 0;
    }
    list_->SetVisible(true);
    if (uikit::CControlUI* loading = Find("sys_loading")) loading->SetVisible(false);
    if (uikit::CControlUI* error = Find("load_error")) error->SetVisible(false);
    const int typeCode = context_.OsTypeCode();
    const bool showSelection = !context_.Handoff().localImage;
    for (const CatalogueEntry& entry : entries) list_->AddEntry(entry, typeCode, showSelection);
    ChooseOneOfSeveral(showSelection);
    listShown_ = true;
    EnableNext();
    return static_cast<int>(entries.size());
}

void CPage1::ChooseOneOfSeveral(bool showSelection) {
    // Every entry recommended for this PC starts selected. The one whose row
    // the list shows selected (the top one) becomes the only choice, so that
    // the checked row, the strip and the download are the same image.
    if (!showSelection || list_->GetCurSel() < 0) return;
    int selected = 0;
    for (const CatalogueEntry& entry : context_.CatalogueEntriesOfGroup(-1)) selected += entry.selected ? 1 : 0;
    if (selected < 2) return;
    context_.SelectCatalogueEntry(list_->SelectedEntry());
    list_->CheckOnly(list_->GetCurSel());
}

void CPage1::ShowEmptyView(bool error) {
    if (uikit::CControlUI* loading = Find("sys_loading")) loading->SetVisible(!error);
    if (uikit::CControlUI* failed = Find("load_error")) failed->SetVisible(error);
    if (list_) list_->SetVisible(false);
}

void CPage1::EnableNext() {
    if (uikit::CControlUI* next = Find("btn_next")) next->SetEnabled(true);
}

void CPage1::Notify(uikit::TNotifyUI& msg) {
    if (!msg.sender || !tree_) return;
    const std::string& name = msg.sender->GetName();
    if (msg.type == uikit::notify::kItemSelect && msg.sender == list_) {
        OnRowSelected();
    } else if (msg.type == uikit::notify::kSelectChanged && name == "check_sys") {
        // After the box toggled: whichever way, it ends checked and its row chosen.
        OnRowChecked(*msg.sender);
    } else if (msg.type == uikit::notify::kSelectChanged && name == "option_sys_local_img") {
        ChooseLocalImage();
    } else if (msg.type == uikit::notify::kClick && name == "btn_sys_retry") {
        emptyFills_ = 0;
        ShowEmptyView(false);
    } else if (msg.type == uikit::notify::kClick) {
        for (size_t i = 0; i < groupOptions_.size(); ++i) {
            if (groupOptions_[i] != msg.sender) continue;
            currentGroup_ = groupIds_[i];
            FillList();
            return;
        }
    }
}

void CPage1::OnRowSelected() {
    const int entry = list_->SelectedEntry();
    if (entry < 0) return;
    context_.SelectCatalogueEntry(entry);
    list_->CheckOnly(list_->GetCurSel());
    ShowLocalOption();
}

void CPage1::OnRowChecked(uikit::CControlUI& box) {
    const int row = list_ ? list_->RowOf(&box) : -1;
    if (row < 0) return;
    list_->SelectItem(row, true);
    context_.SelectCatalogueEntry(list_->RowMap()[row]);
    list_->CheckOnly(row);
    ShowLocalOption();
}

void CPage1::ChooseLocalImage() {
    // The catalogue choice stays until a file is chosen: a cancelled dialog changes nothing.
    if (std::optional<std::string> picked = chooser_.PickImageFile()) {
        const std::string path = ascii::ToUpper(*picked);
        bool stored = true;
        if (IsIsoImagePath(path)) {
            stored = images::StoreIsoChoice(context_, path, chooser_.ChooseIso(path));
        } else {
            context_.SetLocalImage(path);
        }
        if (stored) {
            EnableNext();
            if (list_) {
                list_->SelectItem(-1, false);
                list_->CheckOnly(-1);
            }
        }
    }
    ShowLocalOption();
}

void CPage1::ShowLocalOption() {
    if (auto* option = dynamic_cast<uikit::COptionUI*>(Find("option_sys_local_img"))) {
        option->Selected(context_.Handoff().localImage, false);
    }
}

}  // namespace qnb::ui
