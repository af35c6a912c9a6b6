#include "uikit/controls/rich_edit.h"

#include "uikit/core/control_tree.h"

namespace uikit {

CRichEditUI::CRichEditUI() {
    flags_ = kAlignLeft | kAlignTop | kWordBreak;
    bkColor_ = 0xFFFFFFFF;
}

CRichEditUI::~CRichEditUI() = default;

std::string CRichEditUI::GetText() const { return native_ ? native_->GetText() : text_; }

void CRichEditUI::SetText(std::string text) {
    if (native_) native_->SetText(text);
    CLabelUI::SetText(std::move(text));
}

void CRichEditUI::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    if (native_) native_->SetReadOnly(readOnly);
}

void CRichEditUI::OnNativeTextChanged() {
    if (native_) text_ = native_->GetText();
    Notify(notify::kTextChanged);
}

void CRichEditUI::SetPos(const Rect& rc) {
    CLabelUI::SetPos(rc);
    SyncNative();
}

void CRichEditUI::SetVisible(bool visible) {
    CLabelUI::SetVisible(visible);
    SyncNative();
}

void CRichEditUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    SyncNative();
}

void CRichEditUI::SyncNative() {
    if (!tree_ || !tree_->Host()) return;
    if (!native_) {
        native_ = tree_->Host()->CreateNativeEdit(*this);
        if (!native_) return;
        native_->SetText(text_);
        native_->SetReadOnly(readOnly_);
    }
    native_->SetPos(pos_.Deflate(inset_));
    native_->SetEnabled(enabled_);
    native_->SetVisible(IsVisible() && !pos_.IsEmpty());
}

void CRichEditUI::DoEvent(TEventUI& event) {
    if (event.type == EventType::kSetFocus && native_) native_->Focus();
    CLabelUI::DoEvent(event);
}

void CRichEditUI::PaintText(IRender& render) {
    // The native box draws its own text.
    if (!native_) CLabelUI::PaintText(render);
}

bool CRichEditUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "readonly" || name == "multiline" || name == "vscrollbar" || name == "wantreturn" ||
        name == "autovscroll" || name == "rich" || name == "wordwrap") {
        auto b = ParseBool(value);
        if (!b) return false;
        if (name == "readonly") SetReadOnly(*b);
        else if (name == "multiline") multiLine_ = *b;
        else if (name == "vscrollbar") vscrollBar_ = *b;
        else if (name == "wantreturn") wantReturn_ = *b;
        return true;
    }
    if (name == "maxchar") {
        auto n = ParseInt(value);
        if (!n || *n < 0) return false;
        maxChar_ = *n;
        return true;
    }
    if (name == "inset") {
        auto r = ParseRect(value);
        if (!r) return false;
        inset_ = *r;
        return true;
    }
    return CLabelUI::SetAttribute(name, value);
}

void CRichEditUI::Attach(ControlTree* tree, CControlUI* parent) {
    if (tree != tree_ && native_) {
        text_ = native_->GetText();
        native_.reset();
    }
    CLabelUI::Attach(tree, parent);
}

}  // namespace uikit
