#include "ui/wizard/sys_list.h"

#include "platform/ascii.h"
#include "ui/wizard/system_types.h"
#include "uikit/controls/checkbox.h"
#include "uikit/controls/list_container_element.h"
#include "uikit/core/control_tree.h"

namespace qnb::ui {

namespace {

void SetRowText(uikit::CControlUI* row, const char* name, const std::string& text) {
    if (uikit::CControlUI* control = uikit::ControlTree::FindIn(row, name)) control->SetText(text);
}

}  // namespace

bool CSysListUI::IsElement(std::string_view tag) { return ascii::EqualsIgnoringCase(tag, kElement); }

bool CSysListUI::AddEntry(const CatalogueEntry& entry, int machineTypeCode, bool showSelection) {
    uikit::CControlUI* row = AddRow(kRowLayout);
    if (!row) return false;
    // The width of the name label follows its text (autocalcwidth), so date and size come right after it.
    SetRowText(row, "itemname", entry.name);
    uikit::CControlUI* selectedRow = GetItemAt(GetCurSel());
    if (IsRecommended(entry, machineTypeCode)) {
        // Moved, not rebuilt: the list's selection follows the row it was on.
        std::unique_ptr<uikit::CControlUI> moved;
        for (auto it = items_.begin(); it != items_.end(); ++it) {
            if (it->get() == row) {
                moved = std::move(*it);
                items_.erase(it);
                break;
            }
        }
        items_.insert(items_.begin(), std::move(moved));
        NeedLayout();
        if (uikit::CControlUI* tip = uikit::ControlTree::FindIn(row, "tip")) tip->SetVisible(true);
        rows_.insert(rows_.begin(), entry.index);
        if (selectedRow) {
            SelectItem(-1, false);
            SelectItem(GetItemIndex(selectedRow), false);
        }
    } else {
        rows_.push_back(entry.index);
    }
    SetRowText(row, "size", CatalogueSizeText(entry.size));
    if (entry.selected && showSelection) {
        if (auto* check = dynamic_cast<uikit::CCheckBoxUI*>(uikit::ControlTree::FindIn(row, "check_sys"))) {
            check->SetCheck(true, false);
        }
        SelectItem(GetItemIndex(row), false);
    }
    SetRowText(row, "itemdes", entry.des);
    SetRowText(row, "date", CatalogueDateText(entry.date));
    return true;
}

void CSysListUI::RemoveAllRows() {
    SelectItem(-1, false);
    RemoveAll();
    rows_.clear();
}

int CSysListUI::SelectedEntry() const {
    const int row = GetCurSel();
    return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[row] : -1;
}

int CSysListUI::RowOf(const uikit::CControlUI* control) const {
    for (const uikit::CControlUI* c = control; c; c = c->GetParent()) {
        if (c->GetParent() == this) return GetItemIndex(c);
    }
    return -1;
}

void CSysListUI::CheckOnly(int row) {
    for (int i = 0; i < GetCount(); ++i) {
        if (auto* check = dynamic_cast<uikit::CCheckBoxUI*>(uikit::ControlTree::FindIn(GetItemAt(i), "check_sys"))) {
            check->SetCheck(i == row, false);
        }
    }
}

}  // namespace qnb::ui
