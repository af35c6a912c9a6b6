#include "uikit/controls/button.h"

namespace uikit {

namespace {
constexpr unsigned kKeyReturn = 0x0D;
constexpr unsigned kKeySpace = 0x20;
}  // namespace

bool CButtonUI::Activate() {
    if (!IsEnabled() || !IsVisible()) return false;
    Notify(notify::kClick);
    return true;
}

void CButtonUI::SetEnabled(bool enabled) {
    if (!enabled) hot_ = pushed_ = pressing_ = false;
    CLabelUI::SetEnabled(enabled);
}

void CButtonUI::DoEvent(TEventUI& event) {
    switch (event.type) {
    case EventType::kMouseEnter:
        if (IsEnabled()) {
            hot_ = true;
            Invalidate();
        }
        break;
    case EventType::kMouseLeave:
        hot_ = false;
        Invalidate();
        break;
    case EventType::kButtonDown:
    case EventType::kDoubleClick:
        if (IsEnabled()) {
            pressing_ = pushed_ = true;
            Invalidate();
        }
        break;
    case EventType::kMouseMove:
        if (pressing_) {
            bool over = pos_.Contains(event.pt);
            if (over != pushed_) {
                pushed_ = over;
                Invalidate();
            }
        }
        break;
    case EventType::kButtonUp: {
        bool click = pressing_ && pos_.Contains(event.pt);
        pressing_ = pushed_ = false;
        hot_ = pos_.Contains(event.pt);
        Invalidate();
        // Last: the window may do anything on a click, even remove this button.
        if (click) Activate();
        break;
    }
    case EventType::kKeyDown:
        if (event.key == kKeyReturn || event.key == kKeySpace) Activate();
        break;
    default:
        CLabelUI::DoEvent(event);
    }
}

uint32_t CButtonUI::CurrentBkColor() const {
    if (!IsEnabled()) return disabledBkColor_ ? disabledBkColor_ : bkColor_;
    if (pushed_ && (pushedBkColor_ || hotBkColor_)) return pushedBkColor_ ? pushedBkColor_ : hotBkColor_;
    if ((hot_ || pushed_) && hotBkColor_) return hotBkColor_;
    return bkColor_;
}

void CButtonUI::PaintBkColor(IRender& render) {
    // Under the pictures, so that an icon as bkimage stays visible in every state.
    uint32_t bk = CurrentBkColor();
    if ((bk >> 24) == 0) return;
    if (borderRound_.cx > 0) render.FillRoundRect(pos_, borderRound_.cx, bk);
    else render.FillRect(pos_, bk);
}

void CButtonUI::PaintStatusImage(IRender& render) {
    PaintStateImage(render);
    if (!foreImage_.IsEmpty()) DrawImage(render, foreImage_);
}

void CButtonUI::PaintStateImage(IRender& render) {
    const ImageSpec* image = &normalImage_;
    if (!IsEnabled()) {
        if (!disabledImage_.IsEmpty()) image = &disabledImage_;
    } else if (pushed_) {
        if (!pushedImage_.IsEmpty()) image = &pushedImage_;
        else if (!hotImage_.IsEmpty()) image = &hotImage_;
    } else if (hot_) {
        if (!hotImage_.IsEmpty()) image = &hotImage_;
    } else if (IsFocused() && !focusedImage_.IsEmpty()) {
        image = &focusedImage_;
    }
    if (!image->IsEmpty()) DrawImage(render, *image);
}

uint32_t CButtonUI::CurrentTextColor() const {
    if (!IsEnabled()) return disabledTextColor_;
    if (pushed_ && pushedTextColor_) return pushedTextColor_;
    if ((hot_ || pushed_) && hotTextColor_) return hotTextColor_;
    if (IsFocused() && focusedTextColor_) return focusedTextColor_;
    return textColor_;
}

bool CButtonUI::SetImage(ImageSpec* slot, std::string_view image) {
    auto spec = ParseImage(image);
    if (!spec) return false;
    *slot = std::move(*spec);
    Invalidate();
    return true;
}

bool CButtonUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "normalimage") return SetImage(&normalImage_, value);
    if (name == "hotimage") return SetImage(&hotImage_, value);
    if (name == "pushedimage") return SetImage(&pushedImage_, value);
    if (name == "focusedimage") return SetImage(&focusedImage_, value);
    if (name == "disabledimage") return SetImage(&disabledImage_, value);
    if (name == "foreimage") return SetImage(&foreImage_, value);
    uint32_t* colour = nullptr;
    if (name == "hotbkcolor") colour = &hotBkColor_;
    else if (name == "pushedbkcolor") colour = &pushedBkColor_;
    else if (name == "disabledbkcolor") colour = &disabledBkColor_;
    else if (name == "hottextcolor") colour = &hotTextColor_;
    else if (name == "pushedtextcolor") colour = &pushedTextColor_;
    else if (name == "focusedtextcolor") colour = &focusedTextColor_;
    if (colour) {
        auto c = ParseColour(value);
        if (!c) return false;
        *colour = *c;
        Invalidate();
        return true;
    }
    return CLabelUI::SetAttribute(name, value);
}

}  // namespace uikit
