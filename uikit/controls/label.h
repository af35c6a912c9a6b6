// A control that shows text: font, colours, alignment, padding, wrapping
// and an end ellipsis for text that does not fit.
#pragma once

#include "uikit/core/control.h"

namespace uikit {

class CLabelUI : public CControlUI {
public:
    std::string_view GetClass() const override { return "Label"; }

    int GetFont() const { return font_; }
    void SetFont(int font);
    uint32_t GetTextColor() const { return textColor_; }
    void SetTextColor(uint32_t argb);
    void SetDisabledTextColor(uint32_t argb);
    unsigned GetTextFlags() const { return flags_; }
    void SetTextFlags(unsigned flags);
    const Rect& GetTextPadding() const { return textPadding_; }
    void SetTextPadding(const Rect& rc);

    // With autocalcwidth the width follows the text.
    Size EstimateSize(Size available) override;
    void PaintText(IRender& render) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;

protected:
    // The text colour for the current state.
    virtual uint32_t CurrentTextColor() const;
    void DrawLabelText(IRender& render, uint32_t colour);

    int font_ = -1;
    uint32_t textColor_ = 0xFF000000;
    uint32_t disabledTextColor_ = 0xFFA0A0A0;
    unsigned flags_ = kAlignLeft | kAlignVCenter | kSingleLine;
    Rect textPadding_;
    bool autoWidth_ = false;
};

}  // namespace uikit
