// Pages on top of each other; only the selected one shows.
#pragma once

#include "uikit/core/container.h"

namespace uikit {

class CTabLayoutUI : public CContainerUI {
public:
    std::string_view GetClass() const override { return "TabLayout"; }

    int GetCurSel() const { return curSel_; }
    // Shows page index and hides the others; false for an index out of range.
    // Sends "tabselect" when the page changes.
    bool SelectItem(int index);
    bool SelectItem(const CControlUI* page) { return SelectItem(GetItemIndex(page)); }

    void SetPos(const Rect& rc) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;
    void DescribeState(ControlState* state) const override;
    void Attach(ControlTree* tree, CControlUI* parent) override;

private:
    void ShowOnly(int index);

    int curSel_ = 0;
};

}  // namespace uikit
