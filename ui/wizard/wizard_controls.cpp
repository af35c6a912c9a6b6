#include "ui/wizard/wizard_controls.h"

#include "platform/ascii.h"
#include "ui/wizard/folder_list.h"
#include "ui/wizard/sys_list.h"
#include "ui/xprogress.h"

namespace qnb::ui {

std::unique_ptr<uikit::CControlUI> CreateWizardControl(std::string_view tag) {
    if (ascii::EqualsIgnoringCase(tag, CXProgressUI::kElement)) return std::make_unique<CXProgressUI>();
    if (CFolderList::IsElement(tag)) return std::make_unique<CFolderList>();
    if (CSysListUI::IsElement(tag)) return std::make_unique<CSysListUI>();
    return nullptr;
}

}  // namespace qnb::ui
