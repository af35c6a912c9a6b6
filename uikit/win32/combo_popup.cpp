#include "uikit/win32/combo_popup.h"

#include "platform/win32/handles.h"
#include "uikit/controls/combo.h"
#include "uikit/win32/framework.h"
#include "uikit/win32/render_gdiplus.h"
#include "uikit/win32/window_impl_base.h"

#include <windowsx.h>

#include <algorithm>

namespace uikit {

namespace {

constexpr wchar_t kClass[] = L"QnbComboPopup";
constexpr int kItemHeight = 28;

struct State {
    WindowImplBase* owner;
    CComboUI* combo;
    int hot = -1;
    int top = 0;       // first item shown
    int visible = 0;   // items that fit
    bool done = false;
    int chosen = -1;
};

int ItemAt(const State& s, int y) {
    int index = s.top + y / kItemHeight;
    return y >= 0 && index < s.combo->GetCount() ? index : -1;
}

// The list drawn off screen, then copied in one piece.
void PaintItems(HWND hwnd, HDC dc, State* s) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    qnb::win32::UniqueMemoryDc memory(CreateCompatibleDC(dc));
    qnb::win32::UniqueGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, rc.right, rc.bottom));
    qnb::win32::SelectedObject selected(memory.get(), bitmap.get());
    {
        ControlTree& tree = s->owner->Tree();
        RenderGdiplus render(memory.get(), [&tree](int id) { return tree.GetFont(id); }, s->owner->GetSkinFolder());
        render.FillRect({0, 0, rc.right, rc.bottom}, 0xFFFFFFFF);
        for (int i = 0; i < s->visible && s->top + i < s->combo->GetCount(); ++i) {
            int index = s->top + i;
            Rect item{1, i * kItemHeight + 1, rc.right - 1, (i + 1) * kItemHeight + 1};
            if (index == s->hot) render.FillRect(item, s->combo->ItemHotBkColor());
            TextStyle style;
            style.font = s->combo->GetFont();
            style.colour = s->combo->ItemTextColor();
            style.flags = kAlignLeft | kAlignVCenter | kSingleLine;
            render.RenderText(item.Deflate({8, 0, 8, 0}), s->combo->Items()[index], style);
        }
        render.DrawBorder({0, 0, rc.right, rc.bottom}, 1, 0, 0xFFB0B0B0);
    }
    BitBlt(dc, 0, 0, rc.right, rc.bottom, memory.get(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* s = reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_NCCREATE:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        PaintItems(hwnd, BeginPaint(hwnd, &ps), s);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_MOUSEMOVE: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        int hot = PtInRect(&rc, pt) ? ItemAt(*s, pt.y) : -1;
        if (hot != s->hot) {
            s->hot = hot;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    }
    case WM_LBUTTONDOWN: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (!PtInRect(&rc, pt)) s->done = true;  // outside: dismissed
        return 0;
    }
    case WM_LBUTTONUP: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (PtInRect(&rc, pt) && ItemAt(*s, pt.y) >= 0) {
            s->chosen = ItemAt(*s, pt.y);
            s->done = true;
        }
        return 0;
    }
    case WM_MOUSEWHEEL: {
        int most = std::max(0, s->combo->GetCount() - s->visible);
        s->top = std::clamp(s->top - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA, 0, most);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd) s->done = true;
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void ComboPopup::Show(WindowImplBase& owner, CComboUI& combo) {
    if (combo.GetCount() == 0) return;
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExW(Framework::Instance(), kClass, &existing)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DROPSHADOW;
        wc.lpfnWndProc = PopupProc;
        wc.hInstance = Framework::Instance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClass;
        if (!RegisterClassExW(&wc)) return;
    }
    State state{&owner, &combo};
    state.visible = std::max(1, std::min(combo.GetCount(), combo.DropHeight() / kItemHeight));
    state.hot = combo.GetCurSel();
    if (state.hot >= state.visible) state.top = state.hot - state.visible + 1;
    const Rect& pos = combo.GetPos();
    POINT at{pos.left, pos.bottom + 2};
    ClientToScreen(owner.GetHWND(), &at);
    HWND popup = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kClass, L"", WS_POPUP, at.x, at.y,
                                 pos.Width(), state.visible * kItemHeight + 2, owner.GetHWND(), nullptr,
                                 Framework::Instance(), &state);
    if (!popup) return;
    ShowWindow(popup, SW_SHOWNOACTIVATE);
    SetCapture(popup);
    MSG msg;
    while (!state.done && GetCapture() == popup) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (msg.message == WM_KEYDOWN) {
            int count = combo.GetCount();
            if (msg.wParam == VK_ESCAPE) {
                state.done = true;
            } else if (msg.wParam == VK_RETURN) {
                state.chosen = state.hot;
                state.done = true;
            } else if (msg.wParam == VK_UP || msg.wParam == VK_DOWN) {
                state.hot = std::clamp(state.hot + (msg.wParam == VK_UP ? -1 : 1), 0, count - 1);
                if (state.hot < state.top) state.top = state.hot;
                if (state.hot >= state.top + state.visible) state.top = state.hot - state.visible + 1;
                InvalidateRect(popup, nullptr, FALSE);
            }
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (GetCapture() == popup) ReleaseCapture();
    DestroyWindow(popup);
    if (state.chosen >= 0) combo.SelectItem(state.chosen);
}

}  // namespace uikit
