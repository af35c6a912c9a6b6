// The program's own elements of the wizard's layout: "XProgress" (the
// circular progress), "FolderList" and "SysList", in any case.
#pragma once

#include "uikit/core/control.h"

#include <memory>
#include <string_view>

namespace qnb::ui {

// The control for one of the wizard's own elements, or nullptr.
std::unique_ptr<uikit::CControlUI> CreateWizardControl(std::string_view tag);

}  // namespace qnb::ui
