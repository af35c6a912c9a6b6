// A label that can be pressed: pictures and colours for the normal, hot,
// pushed, focused and disabled states, and a "click" when released over it
// (or on Enter or Space while it has the focus).
#pragma once

#include "uikit/controls/label.h"

namespace uikit {

class CButtonUI : public CLabelUI {
public:
    std::string_view GetClass() const override { return "Button"; }
    bool IsFocusable() const override { return true; }

    bool IsHot() const { return hot_; }
    bool IsPushed() const { return pushed_; }
    // What a click does; false when the button is disabled or hidden.
    virtual bool Activate();

    void SetNormalImage(std::string_view image) { SetImage(&normalImage_, image); }
    void SetHotImage(std::string_view image) { SetImage(&hotImage_, image); }

    void DoEvent(TEventUI& event) override;
    void PaintBkColor(IRender& render) override;
    void PaintStatusImage(IRender& render) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;
    void SetEnabled(bool enabled) override;

protected:
    uint32_t CurrentTextColor() const override;
    // The background colour for the current state.
    virtual uint32_t CurrentBkColor() const;
    // The picture of the current state (the status step draws it, then foreimage).
    virtual void PaintStateImage(IRender& render);
    bool SetImage(ImageSpec* slot, std::string_view image);

    bool hot_ = false;
    bool pushed_ = false;      // pressed and the mouse is over it
    bool pressing_ = false;    // pressed, wherever the mouse is
    ImageSpec normalImage_;
    ImageSpec hotImage_;
    ImageSpec pushedImage_;
    ImageSpec focusedImage_;
    ImageSpec disabledImage_;
    ImageSpec foreImage_;
    uint32_t hotBkColor_ = 0;
    uint32_t pushedBkColor_ = 0;
    uint32_t disabledBkColor_ = 0;
    uint32_t hotTextColor_ = 0;
    uint32_t pushedTextColor_ = 0;
    uint32_t focusedTextColor_ = 0;
};

}  // namespace uikit
