// A bar for a value between a minimum and a maximum. Painting: the
// background colour, background picture, the status step (the filled part:
// foreimage or forecolor), text, border; subclasses replace steps.
#pragma once

#include "uikit/controls/label.h"


namespace uikit {

class CProgressUI : public CLabelUI {
public:
    CProgressUI();
    std::string_view GetClass() const override { return "Progress"; }

    int GetMinValue() const { return min_; }
    int GetMaxValue() const { return max_; }
    int GetValue() const { return value_; }
    void SetMinValue(int min);
    void SetMaxValue(int max);
    // Kept within the range.
    void SetValue(int value);
    bool IsHorizontal() const { return horizontal_; }

    void PaintStatusImage(IRender& render) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;
    void DescribeState(ControlState* state) const override;

protected:
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
    bool horizontal_ = true;
    ImageSpec foreImage_;
    uint32_t foreColor_ = 0;
};

}  // namespace uikit
