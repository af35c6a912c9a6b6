#include "uikit/win32/native_edit.h"

#include "platform/text.h"
#include "uikit/controls/rich_edit.h"
#include "uikit/win32/framework.h"
#include "uikit/win32/render_gdiplus.h"

namespace uikit {

namespace {

constexpr wchar_t kProperty[] = L"QnbNativeEdit";

COLORREF ToColorRef(uint32_t argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

}  // namespace

std::unique_ptr<NativeEdit> Win32NativeEdit::Create(HWND parent, CRichEditUI& edit, const FontSpec* font) {
    DWORD style = WS_CHILD | WS_TABSTOP | ES_LEFT | ES_NOHIDESEL;
    if (edit.IsMultiLine()) {
        style |= ES_MULTILINE | ES_AUTOVSCROLL;
        if (edit.WantsReturn()) style |= ES_WANTRETURN;
        if (edit.HasVScrollBar()) style |= WS_VSCROLL;
    } else {
        style |= ES_AUTOHSCROLL;
    }
    if (edit.IsReadOnly()) style |= ES_READONLY;
    HWND hwnd = CreateWindowExW(0, L"EDIT", L"", style, 0, 0, 0, 0, parent, nullptr, Framework::Instance(), nullptr);
    if (!hwnd) return nullptr;
    std::unique_ptr<Win32NativeEdit> box(new Win32NativeEdit());
    box->hwnd_ = hwnd;
    SetPropW(hwnd, kProperty, box.get());
    FontSpec spec = font ? *font : FontSpec{0, "", 12, false, false, false, true};
    std::wstring face = ResolvedFace(spec.name);
    box->font_.reset(CreateFontW(-spec.size, 0, 0, 0, spec.bold ? FW_BOLD : FW_NORMAL, spec.italic, spec.underline,
                                 FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
    if (box->font_) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(box->font_.get()), FALSE);
    if (edit.GetMaxChar() > 0) SendMessageW(hwnd, EM_SETLIMITTEXT, edit.GetMaxChar(), 0);
    box->textColour_ = ToColorRef(edit.GetTextColor());
    uint32_t bk = edit.GetBkColor();
    box->backColour_ = (bk >> 24) ? ToColorRef(bk) : RGB(255, 255, 255);
    box->background_.reset(CreateSolidBrush(box->backColour_));
    return box;
}

Win32NativeEdit::~Win32NativeEdit() {
    if (hwnd_ && IsWindow(hwnd_)) {
        RemovePropW(hwnd_, kProperty);
        DestroyWindow(hwnd_);
    }
}

std::string Win32NativeEdit::GetText() const {
    int length = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(hwnd_, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return qnb::text::Narrow(text);
}

void Win32NativeEdit::SetText(const std::string& text) {
    settingText_ = true;
    SetWindowTextW(hwnd_, qnb::text::Wide(text).c_str());
    settingText_ = false;
}

void Win32NativeEdit::SetPos(const Rect& rc) {
    MoveWindow(hwnd_, rc.left, rc.top, rc.Width() > 0 ? rc.Width() : 0, rc.Height() > 0 ? rc.Height() : 0, TRUE);
}

void Win32NativeEdit::SetVisible(bool visible) {
    if ((IsWindowVisible(hwnd_) != FALSE) != visible) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

void Win32NativeEdit::SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled); }

void Win32NativeEdit::SetReadOnly(bool readOnly) { SendMessageW(hwnd_, EM_SETREADONLY, readOnly, 0); }

void Win32NativeEdit::Focus() { SetFocus(hwnd_); }

LRESULT Win32NativeEdit::Colours(HWND control, HDC dc) {
    auto* box = static_cast<Win32NativeEdit*>(GetPropW(control, kProperty));
    if (!box) return 0;
    SetTextColor(dc, box->textColour_);
    SetBkColor(dc, box->backColour_);
    return reinterpret_cast<LRESULT>(box->background_.get());
}

}  // namespace uikit
