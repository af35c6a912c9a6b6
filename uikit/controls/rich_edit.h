// A text box. In a window it shows a native text box of the platform in
// its place (so that input methods work); without one it keeps the text
// itself. Sends "textchanged" when the user edits the text.
#pragma once

#include "uikit/controls/label.h"

#include <memory>

namespace uikit {

class NativeEdit;

class CRichEditUI : public CLabelUI {
public:
    CRichEditUI();
    ~CRichEditUI() override;
    std::string_view GetClass() const override { return "RichEdit"; }
    bool IsFocusable() const override { return true; }

    std::string GetText() const override;
    void SetText(std::string text) override;
    bool IsReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool IsMultiLine() const { return multiLine_; }
    bool HasVScrollBar() const { return vscrollBar_; }
    bool WantsReturn() const { return wantReturn_; }
    int GetMaxChar() const { return maxChar_; }
    const Rect& GetInset() const { return inset_; }
    NativeEdit* GetNativeEdit() const { return native_.get(); }

    // The user changed the text (in the native box, or through automation).
    void OnNativeTextChanged();

    void SetPos(const Rect& rc) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void DoEvent(TEventUI& event) override;
    void PaintText(IRender& render) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;
    void Attach(ControlTree* tree, CControlUI* parent) override;
    // Brings the native box in line with the control (position, visibility
    // through its containers, enabled state).
    void OnLayoutDone() override { SyncNative(); }

private:
    void SyncNative();


    std::unique_ptr<NativeEdit> native_;
    bool readOnly_ = false;
    bool multiLine_ = true;
    bool vscrollBar_ = false;
    bool wantReturn_ = true;
    int maxChar_ = 0;
    Rect inset_{4, 4, 4, 4};
};

}  // namespace uikit
