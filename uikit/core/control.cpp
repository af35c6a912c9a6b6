#include "uikit/core/control.h"

#include "uikit/core/control_tree.h"

namespace uikit {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (tree_) tree_->Forget(this);
}

void CControlUI::SetName(std::string name) { name_ = std::move(name); }

void CControlUI::SetText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    Invalidate();
}

std::string CControlUI::GetVirtualWnd() const {
    for (const CControlUI* c = this; c; c = c->parent_) {
        if (!c->virtualWnd_.empty()) return c->virtualWnd_;
    }
    return {};
}

bool CControlUI::IsVisible() const {
    for (const CControlUI* c = this; c; c = c->parent_) {
        if (!c->visible_) return false;
    }
    return true;
}

void CControlUI::SetVisible(bool visible) {
    if (visible == visible_) return;
    bool wasFocused = IsFocused();
    visible_ = visible;
    if (wasFocused && !visible && tree_) tree_->SetFocus(nullptr);
    NeedParentLayout();
}

void CControlUI::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Invalidate();
}

bool CControlUI::IsFocused() const { return tree_ && tree_->Focus() == this; }

void CControlUI::SetFloat(bool f) {
    if (f == float_) return;
    float_ = f;
    NeedParentLayout();
}

void CControlUI::SetPos(const Rect& rc) {
    if (rc == pos_) return;
    Rect old = pos_;
    pos_ = rc;
    if (tree_) {
        tree_->Invalidate(old);
        tree_->Invalidate(pos_);
    }
}

void CControlUI::SetFloatPos(const Rect& rc) {
    floatPos_ = rc;
    fixedWidth_ = rc.Width() > 0 ? rc.Width() : 0;
    fixedHeight_ = rc.Height() > 0 ? rc.Height() : 0;
    NeedParentLayout();
}

void CControlUI::SetFixedWidth(int cx) {
    fixedWidth_ = cx < 0 ? 0 : cx;
    NeedParentLayout();
}

void CControlUI::SetFixedHeight(int cy) {
    fixedHeight_ = cy < 0 ? 0 : cy;
    NeedParentLayout();
}

void CControlUI::SetPadding(const Rect& rc) {
    padding_ = rc;
    NeedParentLayout();
}

Size CControlUI::EstimateSize(Size) { return {fixedWidth_, fixedHeight_}; }

void CControlUI::SetBkColor(uint32_t argb) {
    bkColor_ = argb;
    Invalidate();
}

bool CControlUI::SetBkImage(std::string_view image) {
    auto spec = ParseImage(image);
    if (!spec) return false;
    bkImage_ = std::move(*spec);
    Invalidate();
    return true;
}

void CControlUI::SetBorderColor(uint32_t argb) {
    borderColor_ = argb;
    Invalidate();
}

void CControlUI::SetBorderSize(int size) {
    borderSize_ = size < 0 ? 0 : size;
    Invalidate();
}

void CControlUI::SetBorderRound(Size round) {
    borderRound_ = round;
    Invalidate();
}

void CControlUI::DoPaint(IRender& render, const Rect& dirty) {
    if (!dirty.Intersects(pos_)) return;
    PaintBkColor(render);
    PaintBkImage(render);
    PaintStatusImage(render);
    PaintText(render);
    PaintBorder(render);
}

void CControlUI::PaintBkColor(IRender& render) {
    if ((bkColor_ >> 24) == 0) return;
    if (borderRound_.cx > 0) render.FillRoundRect(pos_, borderRound_.cx, bkColor_);
    else render.FillRect(pos_, bkColor_);
}

void CControlUI::PaintBkImage(IRender& render) {
    if (!bkImage_.IsEmpty()) DrawImage(render, bkImage_);
}

void CControlUI::PaintStatusImage(IRender&) {}

void CControlUI::PaintText(IRender&) {}

void CControlUI::PaintBorder(IRender& render) {
    if (borderSize_ <= 0 || (borderColor_ >> 24) == 0) return;
    render.DrawBorder(pos_, borderSize_, borderRound_.cx, borderColor_);
}

bool CControlUI::DrawImage(IRender& render, const ImageSpec& spec, int frame) {
    if (spec.IsEmpty()) return false;
    Rect dest = pos_;
    if (spec.dest) dest = spec.dest->Offset(pos_.left, pos_.top);
    return render.DrawImage(dest, spec, frame);
}

void CControlUI::DoEvent(TEventUI& event) {
    if (event.type == EventType::kSetFocus) {
        Notify(notify::kSetFocus);
    } else if (event.type == EventType::kKillFocus) {
        Notify(notify::kKillFocus);
    }
}

CControlUI* CControlUI::FindControlAt(Point p) {
    if (!visible_ || !mouseEnabled_ || !pos_.Contains(p)) return nullptr;
    return this;
}

void CControlUI::Visit(const std::function<void(CControlUI&)>& visitor) { visitor(*this); }

bool CControlUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "name") {
        SetName(std::string(value));
    } else if (name == "text") {
        SetText(std::string(value));
    } else if (name == "tooltip" || name == "keyboard" || name == "cursor") {
        // Accepted and not used: the windows have no tooltips and no keyboard navigation.
    } else if (name == "userdata") {
        SetUserData(std::string(value));
    } else if (name == "virtualwnd") {
        SetVirtualWnd(std::string(value));
    } else if (name == "pos") {
        auto r = ParseRect(value);
        if (!r) return false;
        SetFloatPos(*r);
    } else if (name == "padding") {
        auto r = ParseRect(value);
        if (!r) return false;
        SetPadding(*r);
    } else if (name == "width" || name == "height" || name == "minwidth" || name == "maxwidth" ||
               name == "minheight" || name == "maxheight" || name == "bordersize") {
        auto n = ParseInt(value);
        if (!n || *n < 0) return false;
        if (name == "width") SetFixedWidth(*n);
        else if (name == "height") SetFixedHeight(*n);
        else if (name == "minwidth") minWidth_ = *n;
        else if (name == "maxwidth") maxWidth_ = *n;
        else if (name == "minheight") minHeight_ = *n;
        else if (name == "maxheight") maxHeight_ = *n;
        else SetBorderSize(*n);
    } else if (name == "float" || name == "visible" || name == "enabled" || name == "mouse") {
        auto b = ParseBool(value);
        if (!b) return false;
        if (name == "float") SetFloat(*b);
        else if (name == "visible") SetVisible(*b);
        else if (name == "enabled") SetEnabled(*b);
        else SetMouseEnabled(*b);
    } else if (name == "bkcolor" || name == "bordercolor") {
        auto c = ParseColour(value);
        if (!c) return false;
        if (name == "bkcolor") SetBkColor(*c);
        else SetBorderColor(*c);
    } else if (name == "bkimage") {
        return SetBkImage(value);
    } else if (name == "borderround") {
        auto s = ParseSize(value);
        if (!s) return false;
        SetBorderRound(*s);
    } else {
        return false;
    }
    return true;
}

bool CControlUI::SetAttributeList(std::string_view list) {
    auto pairs = ParseAttributeList(list);
    if (!pairs) return false;
    bool ok = true;
    for (const auto& [name, value] : *pairs) ok &= SetAttribute(name, value);
    return ok;
}

void CControlUI::DescribeState(ControlState* state) const {
    state->visible = IsVisible();
    state->enabled = enabled_;
    state->bkimage = bkImage_.file;
}

void CControlUI::Attach(ControlTree* tree, CControlUI* parent) {
    if (tree_ == tree) {
        parent_ = parent;
        return;
    }
    if (tree_) tree_->Forget(this);
    tree_ = tree;
    parent_ = parent;
}

void CControlUI::Invalidate() {
    if (tree_) tree_->Invalidate(pos_);
}

void CControlUI::NeedParentLayout() {
    if (!tree_) return;
    tree_->NeedLayout();
    Invalidate();
}

void CControlUI::NeedLayout() {
    if (tree_) tree_->NeedLayout();
}

void CControlUI::Notify(std::string_view type, intptr_t wParam, intptr_t lParam) {
    if (tree_) tree_->Notify(this, type, wParam, lParam);
}

}  // namespace uikit
