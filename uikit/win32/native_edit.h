// The native text box a rich edit control shows: a Win32 EDIT child of the
// window, so that typing, selection, the clipboard and input methods work.
#pragma once

#include "platform/win32/handles.h"
#include "uikit/core/control_tree.h"
#include "uikit/core/layout_document.h"

#include <windows.h>

namespace uikit {

class Win32NativeEdit : public NativeEdit {
public:
    // nullptr when the box cannot be made.
    static std::unique_ptr<NativeEdit> Create(HWND parent, CRichEditUI& edit, const FontSpec* font);
    ~Win32NativeEdit() override;

    std::string GetText() const override;
    void SetText(const std::string& text) override;
    void SetPos(const Rect& rc) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void SetReadOnly(bool readOnly) override;
    void Focus() override;

    HWND GetHWND() const { return hwnd_; }
    bool SettingText() const { return settingText_; }
    // WM_CTLCOLOREDIT of the parent: the box's colours; 0 when control is not a box of ours.
    static LRESULT Colours(HWND control, HDC dc);

private:
    Win32NativeEdit() = default;

    HWND hwnd_ = nullptr;
    qnb::win32::UniqueGdiObject<HFONT> font_;
    qnb::win32::UniqueGdiObject<HBRUSH> background_;
    COLORREF textColour_ = 0;
    COLORREF backColour_ = 0;
    bool settingText_ = false;
};

}  // namespace uikit
