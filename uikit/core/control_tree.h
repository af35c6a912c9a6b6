// The controls of one window and what they share: the root, fonts, layout,
// painting, mouse and keyboard routing (hot, pushed and focused control),
// control timers, option groups and the notifications sent to the window.
// It knows nothing of the platform: the window host implements TreeHost.
#pragma once

#include "uikit/core/control.h"
#include "uikit/core/layout_document.h"

#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace uikit {

class CRichEditUI;
class CComboUI;
class COptionUI;

// A native text box that a rich edit control shows in its place.
class NativeEdit {
public:
    virtual ~NativeEdit() = default;
    virtual std::string GetText() const = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual void SetPos(const Rect& rc) = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual void SetReadOnly(bool readOnly) = 0;
    virtual void Focus() = 0;
};

// What the tree needs of the window it lives in.
class TreeHost {
public:
    virtual ~TreeHost() = default;
    virtual void Invalidate(const Rect& rc) = 0;
    virtual Size MeasureText(std::string_view text, int font, int maxWidth) = 0;
    virtual bool StartTimer(unsigned hostId, unsigned elapseMs) = 0;
    virtual void StopTimer(unsigned hostId) = 0;
    virtual void SetCapture(bool capture) = 0;
    // A native text box for edit; nullptr where there is none (the control then keeps its text itself).
    virtual std::unique_ptr<NativeEdit> CreateNativeEdit(CRichEditUI& edit) = 0;
    // Opens the list of combo's items below it.
    virtual void ShowDropDown(CComboUI& combo) = 0;
    // Builds the controls of a layout file of the window's skin folder (list rows).
    virtual std::unique_ptr<CControlUI> BuildLayout(std::string_view file, std::string* error) = 0;
    // The delays (ms) of an animated picture's frames; empty when it is not animated.
    virtual std::vector<int> ImageFrameDelays(const std::string& file) = 0;
};

class ControlTree {
public:
    explicit ControlTree(TreeHost* host);
    ~ControlTree();
    ControlTree(const ControlTree&) = delete;
    ControlTree& operator=(const ControlTree&) = delete;

    TreeHost* Host() const { return host_; }
    void SetNotifier(INotifyUI* notifier) { notifier_ = notifier; }

    void SetRoot(std::unique_ptr<CControlUI> root);
    CControlUI* Root() const { return root_.get(); }
    // The first control of that name in tree order (depth first), or nullptr.
    CControlUI* Find(std::string_view name) const;
    // The first control of that name below parent.
    static CControlUI* FindIn(CControlUI* parent, std::string_view name);

    void SetFonts(std::vector<FontSpec> fonts) { fonts_ = std::move(fonts); }
    const std::vector<FontSpec>& Fonts() const { return fonts_; }
    // The font of that id, or the default font, or nullptr when the window has none.
    const FontSpec* GetFont(int id) const;
    void SetDefaults(std::vector<DefaultAttributes> defaults) { defaults_ = std::move(defaults); }
    const std::vector<DefaultAttributes>& Defaults() const { return defaults_; }

    // Layout: the root fills the client area.
    void Resize(Size client);
    Size ClientSize() const { return client_; }
    void NeedLayout() { needLayout_ = true; }
    bool IsLayoutNeeded() const { return needLayout_; }
    void LayoutIfNeeded();
    void Paint(IRender& render, const Rect& dirty);
    void Invalidate(const Rect& rc);

    // Input in client coordinates. Returns whether a control took it.
    void MouseMove(Point p);
    void MouseLeave();
    void ButtonDown(Point p);
    void ButtonUp(Point p);
    void DoubleClick(Point p);
    void Wheel(Point p, int delta);
    bool KeyDown(unsigned key);
    CControlUI* Hot() const { return hot_; }
    CControlUI* Captured() const { return captured_; }
    CControlUI* ControlAt(Point p) const;

    void SetFocus(CControlUI* control);
    CControlUI* Focus() const { return focus_; }

    bool SetTimer(CControlUI* control, unsigned id, unsigned elapseMs);
    void KillTimer(CControlUI* control, unsigned id);
    // A host timer fired; false when it is not one of the controls' timers.
    bool OnHostTimer(unsigned hostId);
    static constexpr unsigned kFirstControlTimer = 0x7000;

    // The options of a group, in tree order.
    std::vector<COptionUI*> Group(std::string_view group) const;
    // Leaves one selected option in each group, the last in tree order
    // (layouts and added rows may select more than one).
    void NormaliseGroups();

    // Sends a notification to the window.
    void Notify(CControlUI* sender, std::string_view type, intptr_t wParam = 0, intptr_t lParam = 0);

    // A control leaves the tree: it is no longer hot, pushed, focused or timed.
    void Forget(CControlUI* control);

private:
    void SetHot(CControlUI* control, Point p);
    void Send(CControlUI* control, EventType type, Point p);

    TreeHost* host_;
    INotifyUI* notifier_ = nullptr;
    std::vector<FontSpec> fonts_;
    std::vector<DefaultAttributes> defaults_;
    Size client_;
    bool needLayout_ = true;
    bool dying_ = false;
    CControlUI* hot_ = nullptr;
    CControlUI* captured_ = nullptr;
    CControlUI* focus_ = nullptr;
    Point lastMouse_;
    struct TimerKey {
        CControlUI* control;
        unsigned id;
        bool operator<(const TimerKey& o) const {
            return control != o.control ? std::less<CControlUI*>()(control, o.control) : id < o.id;
        }
    };
    std::map<TimerKey, unsigned> timers_;  // → host timer id
    unsigned nextTimer_ = kFirstControlTimer;
    std::unique_ptr<CControlUI> root_;     // last: destroyed first
};

}  // namespace uikit
