#include "uikit/win32/window_impl_base.h"

#include "platform/text.h"
#include "platform/win32/handles.h"
#include "uikit/controls/rich_edit.h"
#include "uikit/core/skin_store.h"
#include "uikit/win32/combo_popup.h"
#include "uikit/win32/framework.h"
#include "uikit/win32/native_edit.h"
#include "uikit/win32/message_loop.h"
#include "uikit/win32/render_gdiplus.h"
#include "uikit/win32/shadow_window.h"

#ifdef QNB_UI_AUTOMATION
#include "uikit/win32/automation_server.h"
#endif

#include <windowsx.h>

#include <chrono>
#include <optional>

namespace uikit {

// Hands notifications to the page of their virtualwnd, or to the window.
class WindowImplBase::Router : public INotifyUI {
public:
    explicit Router(WindowImplBase& window) : window_(window) {}
    void Notify(TNotifyUI& msg) override {
        if (!window_.pump_.RouteToPage(msg)) window_.Notify(msg);
    }

private:
    WindowImplBase& window_;
};

// A DIB of the client area's size selected into a memory DC; the bitmap is
// put out of the DC before both are deleted.
struct WindowImplBase::BackBuffer {
    BackBuffer(HDC window, Size clientSize) : size(clientSize), dc(CreateCompatibleDC(window)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size.cx > 0 ? size.cx : 1;
        info.bmiHeader.biHeight = -(size.cy > 0 ? size.cy : 1);
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap.reset(CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        selected.emplace(dc.get(), bitmap.get());
    }
    Size size;
    qnb::win32::UniqueMemoryDc dc;
    qnb::win32::UniqueGdiObject<HBITMAP> bitmap;
    std::optional<qnb::win32::SelectedObject> selected;
};

WindowImplBase::WindowImplBase() : router_(std::make_unique<Router>(*this)) { tree_.SetNotifier(router_.get()); }

WindowImplBase::~WindowImplBase() {
    if (hwnd_) DestroyWindow(hwnd_);
    tree_.SetNotifier(nullptr);
}

bool WindowImplBase::RegisterWindowClass() {
    std::wstring name = qnb::text::Wide(GetWindowClassName());
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(Framework::Instance(), name.c_str(), &existing)) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = Framework::Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(Framework::Instance(), MAKEINTRESOURCEW(128));
    wc.lpszClassName = name.c_str();
    return RegisterClassExW(&wc) != 0;
}

HWND WindowImplBase::Create(HWND owner, const std::string& title, DWORD style, DWORD exStyle, int x, int y, int cx,
                            int cy) {
    if (hwnd_ || !RegisterWindowClass()) return nullptr;
    title_ = title;
    requestedStyle_ = style;
    useLayoutSize_ = cx == CW_USEDEFAULT || cy == CW_USEDEFAULT;
    // Shown by the caller once placed (ShowWindow, ShowModal), never at the default spot first.
    HWND hwnd = CreateWindowExW(exStyle, qnb::text::Wide(GetWindowClassName()).c_str(), qnb::text::Wide(title).c_str(),
                                style & ~WS_VISIBLE, x, y, useLayoutSize_ ? 0 : cx, useLayoutSize_ ? 0 : cy, owner,
                                nullptr, Framework::Instance(), this);
    if (!hwnd) return nullptr;
    if (!tree_.Root()) {
        // The layout could not be loaded: a window without controls is no use.
        DestroyWindow(hwnd);
        return nullptr;
    }
    return hwnd_;
}

LRESULT CALLBACK WindowImplBase::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WindowImplBase* self;
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<WindowImplBase*>(create->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        Framework::AddWindow(self);
    } else {
        self = reinterpret_cast<WindowImplBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        LRESULT result = DefWindowProcW(hwnd, msg, wParam, lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        Framework::RemoveWindow(self);
        self->hwnd_ = nullptr;
        self->OnFinalMessage();
        return result;
    }
    return self->Handle(msg, wParam, lParam);
}

bool WindowImplBase::LoadLayout() {
    LayoutDocument document;
    std::string error;
    auto find = [](std::string_view name) { return Framework::Skin().Find(name); };
    if (!ReadWindowLayout(find, GetSkinFolder(), GetSkinFile(), &document, &error)) {
        layoutProblems_.push_back(error);
        return false;
    }
    defaults_ = document.defaults;
    tree_.SetFonts(document.fonts);
    tree_.SetDefaults(document.defaults);
    for (const auto& [key, value] : document.window) {
        if (key == "size") {
            if (auto s = ParseSize(value)) layoutSize_ = *s;
        } else if (key == "caption") {
            if (auto r = ParseRect(value)) caption_ = *r;
        } else if (key == "roundcorner") {
            if (auto s = ParseSize(value)) roundCorner_ = *s;
        }
    }
    CDialogBuilder builder(document.defaults, this);
    std::unique_ptr<CControlUI> root = builder.Build(document.root);
    std::string name = SkinStore::Resolve(GetSkinFolder(), GetSkinFile());
    for (const std::string& p : builder.Problems()) layoutProblems_.push_back(name + ": " + p);
    if (!root) return false;
    tree_.SetRoot(std::move(root));
    return true;
}

void WindowImplBase::ApplyWindowAttributes(bool useLayoutSize) {
    if (useLayoutSize && layoutSize_.cx > 0 && layoutSize_.cy > 0) {
        SetWindowPos(hwnd_, nullptr, 0, 0, layoutSize_.cx, layoutSize_.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT rc;
    GetClientRect(hwnd_, &rc);
    tree_.Resize({rc.right, rc.bottom});
    UpdateRegion();
}

void WindowImplBase::UpdateRegion() {
    if (roundCorner_.cx <= 0 || roundCorner_.cy <= 0) return;
    RECT rc;
    GetWindowRect(hwnd_, &rc);
    qnb::win32::UniqueGdiObject<HRGN> region(CreateRoundRectRgn(0, 0, rc.right - rc.left + 1, rc.bottom - rc.top + 1,
                                                                roundCorner_.cx, roundCorner_.cy));
    // The window owns the region once it has taken it; before, we do.
    if (SetWindowRgn(hwnd_, region.get(), TRUE)) (void)region.release();
}

UINT WindowImplBase::ShowModal() {
    if (!hwnd_) return IDCANCEL;
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    modal_ = true;
    closeCode_ = IDCANCEL;
    ShowWindow(true, true);
    if (owner) EnableWindow(owner, FALSE);
    MSG msg{};
    bool quit = false;
    while (hwnd_) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            quit = true;
            break;
        }
        if (PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (owner && !IsWindowEnabled(owner)) EnableWindow(owner, TRUE);
    if (owner && IsWindow(owner)) SetFocus(owner);
    modal_ = false;
    // The program's own loop must see the quit message too.
    if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
    return closeCode_;
}

void WindowImplBase::Close(UINT code) {
    if (hwnd_) PostMessageW(hwnd_, WM_CLOSE, code, 0);
}

void WindowImplBase::CenterWindow() {
    if (!hwnd_) return;
    RECT rc;
    GetWindowRect(hwnd_, &rc);
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    RECT area;
    // Over a visible owner, else in the work area of the monitor the window is on.
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &area);
    } else {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        GetMonitorInfoW(MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTONEAREST), &info);
        area = info.rcWork;
    }
    int width = rc.right - rc.left;
    int height = rc.bottom - rc.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST), &info);
    // Never off the screen's work area.
    if (x + width > info.rcWork.right) x = info.rcWork.right - width;
    if (y + height > info.rcWork.bottom) y = info.rcWork.bottom - height;
    if (x < info.rcWork.left) x = info.rcWork.left;
    if (y < info.rcWork.top) y = info.rcWork.top;
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowImplBase::ShowWindow(bool show, bool takeFocus) {
    if (!hwnd_) return;
    ::ShowWindow(hwnd_, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
    if (show && takeFocus) SetFocus(hwnd_);
}

void WindowImplBase::SetTopmost(bool topmost) {
    if (hwnd_) {
        SetWindowPos(hwnd_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void WindowImplBase::SetIcon(UINT resourceId) {
    if (!hwnd_) return;
    HINSTANCE instance = Framework::Instance();
    auto load = [&](int cx, int cy) {
        return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR));
    };
    if (HICON big = load(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON))) {
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    }
    if (HICON small = load(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON))) {
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }
}

bool WindowImplBase::SetTimer(UINT id, UINT elapseMs) { return hwnd_ && ::SetTimer(hwnd_, id, elapseMs, nullptr) != 0; }

void WindowImplBase::KillTimer(UINT id) {
    if (hwnd_) ::KillTimer(hwnd_, id);
}

void WindowImplBase::DeliverTimer(UINT id) {
    if (!hwnd_) return;
    if (tree_.OnHostTimer(id)) return;
    bool handled = false;
    HandleMessage(WM_TIMER, id, 0, handled);
}

std::string WindowImplBase::Title() const {
    if (!hwnd_) return title_;
    wchar_t buffer[512];
    int n = GetWindowTextW(hwnd_, buffer, 512);
    return qnb::text::Narrow(std::wstring_view(buffer, n > 0 ? n : 0));
}

double WindowImplBase::RepaintNow() {
    if (!hwnd_) return 0;
    auto start = std::chrono::steady_clock::now();
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

LRESULT WindowImplBase::FilterMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = false;
    return MessageFilter(msg, wParam, lParam, handled);
}

void WindowImplBase::Invalidate(const Rect& rc) {
    if (!hwnd_) return;
    RECT r{rc.left, rc.top, rc.right, rc.bottom};
    InvalidateRect(hwnd_, &r, FALSE);
}

Size WindowImplBase::MeasureText(std::string_view text, int font, int maxWidth) {
    qnb::win32::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    RenderGdiplus render(dc.get(), [this](int id) { return tree_.GetFont(id); }, GetSkinFolder());
    return render.MeasureText(text, font, maxWidth);
}

bool WindowImplBase::StartTimer(unsigned hostId, unsigned elapseMs) { return SetTimer(hostId, elapseMs); }

void WindowImplBase::StopTimer(unsigned hostId) { KillTimer(hostId); }

void WindowImplBase::SetCapture(bool capture) {
    if (!hwnd_) return;
    if (capture) ::SetCapture(hwnd_);
    else if (GetCapture() == hwnd_) ReleaseCapture();
}

std::unique_ptr<NativeEdit> WindowImplBase::CreateNativeEdit(CRichEditUI& edit) {
    if (!hwnd_) return nullptr;
    const FontSpec* font = tree_.GetFont(edit.GetFont());
    return Win32NativeEdit::Create(hwnd_, edit, font);
}

void WindowImplBase::ShowDropDown(CComboUI& combo) {
    if (hwnd_) ComboPopup::Show(*this, combo);
}

std::unique_ptr<CControlUI> WindowImplBase::BuildLayout(std::string_view file, std::string* error) {
    std::string name = SkinStore::Resolve(GetSkinFolder(), file);
    const std::string_view* xml = Framework::Skin().Find(name);
    if (!xml) {
        *error = "the skin has no " + name;
        return nullptr;
    }
    LayoutDocument document;
    if (!ParseLayout(*xml, &document, error)) return nullptr;
    CDialogBuilder builder(defaults_, this);
    std::unique_ptr<CControlUI> control = builder.Build(document.root);
    for (const std::string& p : builder.Problems()) layoutProblems_.push_back(name + ": " + p);
    if (!control) *error = name + ": nothing could be built";
    return control;
}

std::vector<int> WindowImplBase::ImageFrameDelays(const std::string& file) {
    return uikit::ImageFrameDelays(SkinStore::Resolve(GetSkinFolder(), file));
}

void WindowImplBase::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT client;
    GetClientRect(hwnd_, &client);
    Size size{client.right, client.bottom};
    if (!back_ || !(size == back_->size)) {
        back_.reset();
        back_ = std::make_unique<BackBuffer>(dc, size);
    }
    Rect dirty{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom};
    if (!dirty.IsEmpty()) {
        {
            RenderGdiplus render(back_->dc.get(), [this](int id) { return tree_.GetFont(id); }, GetSkinFolder());
            render.PushClip(dirty);
            render.FillRect(dirty, 0xFFFFFFFF);
            tree_.Paint(render, dirty);
            render.PopClip();
        }
        BitBlt(dc, dirty.left, dirty.top, dirty.Width(), dirty.Height(), back_->dc.get(), dirty.left, dirty.top,
               SRCCOPY);
    }
    EndPaint(hwnd_, &ps);
}

LRESULT WindowImplBase::HitTest(LPARAM lParam) {
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(hwnd_, &pt);
    RECT rc;
    GetClientRect(hwnd_, &rc);
    bool inCaption = pt.x >= caption_.left && pt.x < rc.right - caption_.right && pt.y >= caption_.top &&
                     (caption_.bottom < 0 || pt.y < caption_.bottom);
    if (!inCaption || (caption_.bottom == 0)) return HTCLIENT;
    // Controls that take the mouse stay usable inside the caption band.
    for (CControlUI* c = tree_.ControlAt({pt.x, pt.y}); c; c = c->GetParent()) {
        if (c->IsFocusable()) return HTCLIENT;
    }
    return HTCAPTION;
}

void WindowImplBase::OnNativeCommand(HWND control, WORD code) {
    if (!tree_.Root()) return;
    CRichEditUI* owner = nullptr;
    tree_.Root()->Visit([&](CControlUI& c) {
        auto* edit = dynamic_cast<CRichEditUI*>(&c);
        if (!owner && edit && edit->GetNativeEdit() &&
            static_cast<Win32NativeEdit*>(edit->GetNativeEdit())->GetHWND() == control) {
            owner = edit;
        }
    });
    if (!owner) return;
    if (code == EN_CHANGE) {
        // Text set by the program is not the user's change.
        if (!static_cast<Win32NativeEdit*>(owner->GetNativeEdit())->SettingText()) owner->OnNativeTextChanged();
    }
    else if (code == EN_SETFOCUS && tree_.Focus() != owner) tree_.SetFocus(owner);
}

LRESULT WindowImplBase::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
#ifdef QNB_UI_AUTOMATION
    // Held timers reach neither the window nor its controls; ticks come through the channel.
    if (msg == WM_TIMER && automation::TimersHeld()) return 0;
#endif
    bool handled = false;
    LRESULT result = HandleMessage(msg, wParam, lParam, handled);
    if (handled) return result;

    switch (msg) {
    case WM_CREATE: {
        // The window draws its own caption: the system's goes (a captioned
        // popup would also be handed to the window manager under X).
        LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
        if ((style & WS_CAPTION) == WS_CAPTION) {
            SetWindowLongW(hwnd_, GWL_STYLE, style & ~WS_CAPTION);
            SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        }
        OnCreate();
        if (!LoadLayout()) return -1;
        ApplyWindowAttributes(useLayoutSize_);
        if (shadow_.darkness > 0 && shadow_.size > 0) {
            shadow_.roundness = roundCorner_.cx / 2;
            shadowWindow_ = std::make_unique<ShadowWindow>(hwnd_, shadow_);
        }
        InitWindow();
        return 0;
    }
    case WM_NCCALCSIZE:
        return 0;  // the client area is the whole window: no frame, no caption bar
    case WM_NCACTIVATE:
        return IsIconic(hwnd_) ? DefWindowProcW(hwnd_, msg, wParam, lParam) : TRUE;
    case WM_NCPAINT:
        return 0;
    case WM_NCHITTEST:
        return HitTest(lParam);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_PRINTCLIENT:
        return 0;
    case WM_SIZE: {
        tree_.Resize({LOWORD(lParam), HIWORD(lParam)});
        if (wParam != SIZE_MINIMIZED) UpdateRegion();
        if (shadowWindow_) shadowWindow_->Follow();
        return 0;
    }
    case WM_MOVE:
    case WM_WINDOWPOSCHANGED:
        if (shadowWindow_) shadowWindow_->Follow();
        break;
    case WM_SHOWWINDOW:
        if (shadowWindow_) shadowWindow_->Show(wParam != 0);
        break;
    case WM_MOUSEMOVE: {
        if (!trackingMouse_) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
            trackingMouse_ = TrackMouseEvent(&track) != 0;
        }
        tree_.MouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    }
    case WM_MOUSELEAVE:
        trackingMouse_ = false;
        tree_.MouseLeave();
        return 0;
    case WM_LBUTTONDOWN:
        // Keys come to the window unless a text box takes the focus below.
        if (GetFocus() != hwnd_) SetFocus(hwnd_);
        tree_.ButtonDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONUP:
        tree_.ButtonUp({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONDBLCLK:
        tree_.DoubleClick({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_CAPTURECHANGED:
        // Lost without a button release (another window took it): nothing is clicked.
        if (tree_.Captured() && reinterpret_cast<HWND>(lParam) != hwnd_) tree_.ButtonUp({-100000, -100000});
        return 0;
    case WM_MOUSEWHEEL: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(hwnd_, &pt);
        tree_.Wheel({pt.x, pt.y}, GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    }
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            CControlUI* hot = tree_.Hot();
            bool hand = hot && hot->IsEnabled() && hot->IsFocusable() && hot->GetClass() != "RichEdit";
            SetCursor(LoadCursorW(nullptr, hand ? IDC_HAND : IDC_ARROW));
            return TRUE;
        }
        break;
    case WM_KEYDOWN:
        if (tree_.KeyDown(static_cast<unsigned>(wParam))) return 0;
        if (wParam == VK_ESCAPE) {
            Close(IDCANCEL);
            return 0;
        }
        break;
    case WM_TIMER:
        DeliverTimer(static_cast<UINT>(wParam));
        return 0;
    case WM_COMMAND:
        if (lParam) OnNativeCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (LRESULT brush = Win32NativeEdit::Colours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam))) {
            return brush;
        }
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            Close(IDCANCEL);
            return 0;
        }
        break;
    case WM_CLOSE: {
        closeCode_ = static_cast<UINT>(wParam);
        // Re-enable the owner first, so that it gets the activation back.
        HWND owner = GetWindow(hwnd_, GW_OWNER);
        if (modal_ && owner) EnableWindow(owner, TRUE);
        DestroyWindow(hwnd_);
        return 0;
    }
    case WM_DESTROY:
        shadowWindow_.reset();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace uikit
