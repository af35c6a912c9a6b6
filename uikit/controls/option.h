// A button that stays selected. Options of one group exclude each other;
// selecting one sends "selectchanged" (after its "click").
#pragma once

#include "uikit/controls/button.h"

namespace uikit {

class COptionUI : public CButtonUI {
public:
    std::string_view GetClass() const override { return "Option"; }

    const std::string& GetGroup() const { return group_; }
    void SetGroup(std::string group) { group_ = std::move(group); }
    bool IsSelected() const { return selected_; }
    // Selecting an option of a group unselects the others of the group
    // (they send nothing); notify says whether "selectchanged" is sent.
    virtual void Selected(bool selected, bool notify = true);

    bool Activate() override;
    void PaintStateImage(IRender& render) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;
    void DescribeState(ControlState* state) const override;
    // Unselects without telling anyone (the tree keeps one selected option per group).
    void ClearSelection();

protected:
    uint32_t CurrentTextColor() const override;
    uint32_t CurrentBkColor() const override;

    std::string group_;
    bool selected_ = false;
    ImageSpec selectedImage_;
    ImageSpec selectedHotImage_;
    uint32_t selectedTextColor_ = 0;
    uint32_t selectedBkColor_ = 0;
};

}  // namespace uikit
