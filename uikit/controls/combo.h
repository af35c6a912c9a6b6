// A drop-down choice: shows the selected item's text; a click opens the
// list of items below it. Choosing an item sends "itemselect".
#pragma once

#include "uikit/controls/button.h"

#include <vector>

namespace uikit {

class CComboUI : public CButtonUI {
public:
    CComboUI();
    std::string_view GetClass() const override { return "Combo"; }

    int AddItem(std::string text);
    bool RemoveItem(int index);
    void RemoveAll();
    int GetCount() const { return static_cast<int>(items_.size()); }
    const std::vector<std::string>& Items() const { return items_; }
    int GetCurSel() const { return curSel_; }
    // -1 clears the choice.
    bool SelectItem(int index, bool notify = true);

    int DropHeight() const { return dropHeight_; }
    uint32_t ItemHotBkColor() const { return itemHotBk_; }
    uint32_t ItemTextColor() const { return itemTextColor_; }

    bool Activate() override;
    std::string GetText() const override;
    bool SetAttribute(std::string_view name, std::string_view value) override;
    void DescribeState(ControlState* state) const override;

private:
    std::vector<std::string> items_;
    int curSel_ = -1;
    int dropHeight_ = 150;
    uint32_t itemHotBk_ = 0xFFE5F1FB;
    uint32_t itemTextColor_ = 0xFF333333;
};

}  // namespace uikit
