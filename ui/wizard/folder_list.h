// CFolderList: the backup page's list of folders to copy whole, one row per
// folder (skin/folderlist.xml: its icon, its path, a delete button). The
// rows are the only record of the choice; the same folder may stand twice.
#pragma once

#include "uikit/controls/list.h"

#include <string>
#include <string_view>
#include <vector>

namespace qnb::ui {

class CFolderList : public uikit::CListUI {
public:
    // The layout element ("folderlist" in any case) and the row layout.
    static constexpr char kElement[] = "FolderList";
    static constexpr char kRowLayout[] = "folderlist.xml";
    static bool IsElement(std::string_view tag);

    std::string_view GetClass() const override { return kElement; }

    // A row at the end showing path; false when the row cannot be built.
    bool AddFolder(const std::string& path);
    // The rows' paths, in list order.
    std::vector<std::string> Folders() const;
    // Removes and destroys the row that holds control (a row's delete
    // button); false when no row of this list holds it.
    bool RemoveRowOf(uikit::CControlUI* control);
};

}  // namespace qnb::ui
