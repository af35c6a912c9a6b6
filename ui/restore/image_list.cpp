#include "ui/restore/image_list.h"

#include "platform/ascii.h"
#include "uikit/core/control_tree.h"

namespace qnb::ui {

bool CXImageList::IsElement(std::string_view tag) { return ascii::EqualsIgnoringCase(tag, kElement); }

bool CXImageList::AddImage(const std::string& text) {
    uikit::CControlUI* row = AddRow(kRowLayout);
    if (!row) return false;
    if (uikit::CControlUI* label = uikit::ControlTree::FindIn(row, "imagedate")) label->SetText(text);
    return true;
}

std::vector<std::string> CXImageList::Texts() const {
    std::vector<std::string> texts;
    for (int i = 0; i < GetCount(); ++i) {
        uikit::CControlUI* label = uikit::ControlTree::FindIn(GetItemAt(i), "imagedate");
        texts.push_back(label ? label->GetText() : std::string());
    }
    return texts;
}

}  // namespace qnb::ui
