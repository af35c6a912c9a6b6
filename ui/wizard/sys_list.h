// CSysListUI: the catalogue page's list of images, one row per catalogue
// entry (skin/SysImgListItem.xml: its check box, name, date, size,
// description and the "recommended" badge). Rows recommended for this PC
// go to the top; the row map says which entry each row shows.
#pragma once

#include "app/catalogue.h"
#include "uikit/controls/list.h"

#include <string>
#include <string_view>
#include <vector>

namespace qnb::ui {

class CSysListUI : public uikit::CListUI {
public:
    // The layout element ("syslist" in any case) and the row layout.
    static constexpr char kElement[] = "SysList";
    static constexpr char kRowLayout[] = "SysImgListItem.xml";
    static bool IsElement(std::string_view tag);

    std::string_view GetClass() const override { return kElement; }

    // A row for entry. Recommended for this PC (machineTypeCode): at the
    // top with the badge, so that several end in reverse catalogue order.
    // A selected entry's row is checked and selected when showSelection is
    // set (no list notification). False when the row cannot be built.
    bool AddEntry(const CatalogueEntry& entry, int machineTypeCode, bool showSelection = true);
    // No rows, and an empty row map.
    void RemoveAllRows();

    // The entry index each row shows, in row order.
    const std::vector<int>& RowMap() const { return rows_; }
    // The entry of the list's selected row, or -1.
    int SelectedEntry() const;
    // The row of a control inside one of the rows, or -1.
    int RowOf(const uikit::CControlUI* control) const;
    // Checks the box of row (none for -1) and unchecks every other.
    void CheckOnly(int row);

private:
    std::vector<int> rows_;
};

}  // namespace qnb::ui
