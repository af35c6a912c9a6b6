// A window of the framework: a Win32 window whose client area is drawn by
// the controls of a layout file of the skin. A program's window derives
// from it and answers its class name, skin folder and layout file, and
// handles notifications, messages and keys.
#pragma once

#include "uikit/core/builder.h"
#include "uikit/core/control_tree.h"
#include "uikit/core/notify_pump.h"
#include "uikit/core/shadow_bitmap.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace uikit {

class ShadowWindow;

class WindowImplBase : public TreeHost, public IControlFactory {
public:
    WindowImplBase();
    ~WindowImplBase() override;
    WindowImplBase(const WindowImplBase&) = delete;
    WindowImplBase& operator=(const WindowImplBase&) = delete;

    // Creates the window (not yet shown) with the layout's controls and
    // runs InitWindow. With CW_USEDEFAULT sizes the layout's size is taken.
    // nullptr when the window cannot be made (its layout is missing or broken).
    HWND Create(HWND owner, const std::string& title, DWORD style, DWORD exStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT);
    HWND GetHWND() const { return hwnd_; }

    // Shows the window and handles messages until it is closed, with its
    // owner disabled meanwhile. Returns the code it was closed with.
    UINT ShowModal();
    bool IsModal() const { return modal_; }
    // Closes the window with code (ShowModal's result). Posted: the caller's
    // work ends before the window goes.
    void Close(UINT code = IDOK);
    void CenterWindow();
    void ShowWindow(bool show = true, bool takeFocus = true);
    void SetTopmost(bool topmost);
    void SetIcon(UINT resourceId);

    ControlTree& Tree() { return tree_; }
    CControlUI* FindControl(std::string_view name) const { return tree_.Find(name); }
    template <typename T>
    T* Find(std::string_view name) const {
        return dynamic_cast<T*>(tree_.Find(name));
    }
    void AddVirtualWnd(std::string name, INotifyUI* handler) { pump_.AddVirtualWnd(std::move(name), handler); }

    // Timers of the window's own handler (WM_TIMER with the id).
    bool SetTimer(UINT id, UINT elapseMs);
    void KillTimer(UINT id);
    // Runs a timer tick as WM_TIMER does.
    void DeliverTimer(UINT id);

    void SetShadow(const ShadowSettings& shadow) { shadow_ = shadow; }
    const ShadowSettings& Shadow() const { return shadow_; }

    // Answers of the window.
    virtual std::string GetWindowClassName() const = 0;
    virtual std::string GetSkinFolder() const { return "skin/"; }
    virtual std::string GetSkinFile() const = 0;

    // What did not apply while the layout was built (tests check it is empty).
    const std::vector<std::string>& LayoutProblems() const { return layoutProblems_; }
    // The window title, UTF-8.
    std::string Title() const;
    // Repaints the whole client area at once; returns the milliseconds it took.
    double RepaintNow();

    // Called by the message loop for every key message on the way to this
    // window or to a control inside it.
    LRESULT FilterMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);

    // TreeHost.
    void Invalidate(const Rect& rc) override;
    Size MeasureText(std::string_view text, int font, int maxWidth) override;
    bool StartTimer(unsigned hostId, unsigned elapseMs) override;
    void StopTimer(unsigned hostId) override;
    void SetCapture(bool capture) override;
    std::unique_ptr<NativeEdit> CreateNativeEdit(CRichEditUI& edit) override;
    void ShowDropDown(CComboUI& combo) override;
    std::unique_ptr<CControlUI> BuildLayout(std::string_view file, std::string* error) override;
    std::vector<int> ImageFrameDelays(const std::string& file) override;

    // IControlFactory: the program's own elements.
    std::unique_ptr<CControlUI> CreateControl(std::string_view) override { return nullptr; }

protected:
    // Before the controls are built (shadow settings belong here).
    virtual void OnCreate() {}
    // After the controls are built.
    virtual void InitWindow() {}
    // A notification of a control (pages named by virtualwnd get theirs first).
    virtual void Notify(TNotifyUI&) {}
    // Every message of the window before the framework's own handling;
    // setting handled stops it there.
    virtual LRESULT HandleMessage(UINT, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }
    // Key messages before they are translated and dispatched.
    virtual LRESULT MessageFilter(UINT, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }
    // The window is gone (WM_NCDESTROY).
    virtual void OnFinalMessage() {}

private:
    class Router;
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    bool RegisterWindowClass();
    bool LoadLayout();
    void ApplyWindowAttributes(bool useLayoutSize);
    void Paint();
    void UpdateRegion();
    LRESULT HitTest(LPARAM lParam);
    void OnNativeCommand(HWND control, WORD code);

    HWND hwnd_ = nullptr;
    std::unique_ptr<Router> router_;
    ControlTree tree_{this};
    CNotifyPump pump_;
    std::vector<DefaultAttributes> defaults_;
    std::vector<std::string> layoutProblems_;
    ShadowSettings shadow_;
    std::unique_ptr<ShadowWindow> shadowWindow_;
    Size layoutSize_;
    Rect caption_;       // caption band: left/top/right insets, bottom = height (-1: whole window)
    Size roundCorner_;
    bool modal_ = false;
    UINT closeCode_ = IDCANCEL;
    bool trackingMouse_ = false;
    struct BackBuffer;
    std::unique_ptr<BackBuffer> back_;  // the client area drawn off screen, kept between paints
    bool useLayoutSize_ = false;
    std::string title_;
    DWORD requestedStyle_ = 0;
};

}  // namespace uikit
