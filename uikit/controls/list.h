// A scrolling column of rows. Rows are usually ListContainerElement
// controls built from a row layout file. Selecting a row sends
// "itemselect"; releasing the mouse over a row sends "itemclick".
#pragma once

#include "uikit/controls/vertical_layout.h"

namespace uikit {

class CListContainerElementUI;

class CListUI : public CVerticalLayoutUI {
public:
    CListUI();
    std::string_view GetClass() const override { return "List"; }
    bool IsFocusable() const override { return true; }

    // Builds a row from a layout file of the window's skin folder and adds
    // it at the end; nullptr (with a reason) when the file cannot be built.
    CControlUI* AddRow(std::string_view layoutFile, std::string* error = nullptr);

    int GetCurSel() const { return curSel_; }
    // Selects row index (-1: none) and scrolls it into view.
    bool SelectItem(int index, bool notify = true);

    uint32_t ItemHotBkColor() const { return itemHotBk_; }
    uint32_t ItemSelectedBkColor() const { return itemSelectedBk_; }

    // Called by a row.
    void OnRowPressed(CListContainerElementUI* row);
    void OnRowClicked(CListContainerElementUI* row);

    void DoEvent(TEventUI& event) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;
    void DescribeState(ControlState* state) const override;
    void SetPos(const Rect& rc) override;

private:
    int curSel_ = -1;
    uint32_t itemHotBk_ = 0;
    uint32_t itemSelectedBk_ = 0;
};

}  // namespace uikit
