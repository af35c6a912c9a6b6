#include "ui/wizard/folder_list.h"

#include "platform/ascii.h"
#include "uikit/controls/list_container_element.h"
#include "uikit/core/control_tree.h"

namespace qnb::ui {

bool CFolderList::IsElement(std::string_view tag) { return ascii::EqualsIgnoringCase(tag, kElement); }

bool CFolderList::AddFolder(const std::string& path) {
    uikit::CControlUI* row = AddRow(kRowLayout);
    if (!row) return false;
    if (uikit::CControlUI* label = uikit::ControlTree::FindIn(row, "folderpath")) label->SetText(path);
    return true;
}

std::vector<std::string> CFolderList::Folders() const {
    std::vector<std::string> folders;
    for (int i = 0; i < GetCount(); ++i) {
        uikit::CControlUI* label = uikit::ControlTree::FindIn(GetItemAt(i), "folderpath");
        folders.push_back(label ? label->GetText() : std::string());
    }
    return folders;
}

bool CFolderList::RemoveRowOf(uikit::CControlUI* control) {
    for (uikit::CControlUI* c = control; c; c = c->GetParent()) {
        if (c->GetParent() == this && dynamic_cast<uikit::CListContainerElementUI*>(c)) return Remove(c);
    }
    return false;
}

}  // namespace qnb::ui
