// The base of every control: name, text, state, position and size rules,
// colours and pictures, the painting steps, and input handling.
#pragma once

#include "uikit/core/attribute_values.h"
#include "uikit/core/event.h"
#include "uikit/core/geometry.h"
#include "uikit/core/render.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace uikit {

class ControlTree;

// What automation reports of a control besides its name, kind and text.
struct ControlState {
    bool visible = false;
    bool enabled = false;
    int checked = -1;      // options and check boxes: 0 or 1; -1 when the control has no such state
    int value = -1;        // progress value, selected tab page, list or combo selection; -1 when none
    int minimum = 0;       // with value: progress range; otherwise 0
    int maximum = 0;
    std::string bkimage;   // the background picture's entry name
};

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // The kind, as layout files name it ("Button").
    virtual std::string_view GetClass() const { return "Control"; }

    const std::string& GetName() const { return name_; }
    void SetName(std::string name);
    virtual std::string GetText() const { return text_; }
    virtual void SetText(std::string text);
    const std::string& GetUserData() const { return userData_; }
    void SetUserData(std::string data) { userData_ = std::move(data); }
    // The virtualwnd name of this control or of its nearest container that has one.
    std::string GetVirtualWnd() const;
    void SetVirtualWnd(std::string name) { virtualWnd_ = std::move(name); }

    // Visible: its own flag and every container's above it.
    bool IsVisible() const;
    bool IsOwnVisible() const { return visible_; }
    virtual void SetVisible(bool visible);
    bool IsEnabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);
    bool IsFocused() const;
    virtual bool IsFocusable() const { return false; }
    bool IsMouseEnabled() const { return mouseEnabled_; }
    void SetMouseEnabled(bool enabled) { mouseEnabled_ = enabled; }
    // A floating control is placed by its pos, relative to its container.
    bool IsFloat() const { return float_; }
    void SetFloat(bool f);

    // Position in window client coordinates, set by the container's layout.
    const Rect& GetPos() const { return pos_; }
    virtual void SetPos(const Rect& rc);
    // The pos attribute: for floating controls the place relative to the container.
    const Rect& GetFloatPos() const { return floatPos_; }
    void SetFloatPos(const Rect& rc);
    int GetFixedWidth() const { return fixedWidth_; }
    int GetFixedHeight() const { return fixedHeight_; }
    void SetFixedWidth(int cx);
    void SetFixedHeight(int cy);
    int GetMinWidth() const { return minWidth_; }
    int GetMaxWidth() const { return maxWidth_; }
    int GetMinHeight() const { return minHeight_; }
    int GetMaxHeight() const { return maxHeight_; }
    // Room kept free around the control inside its container.
    const Rect& GetPadding() const { return padding_; }
    void SetPadding(const Rect& rc);
    // The size the control asks for; 0 in a direction means "take a share of what is left".
    virtual Size EstimateSize(Size available);

    uint32_t GetBkColor() const { return bkColor_; }
    void SetBkColor(uint32_t argb);
    const ImageSpec& GetBkImageSpec() const { return bkImage_; }
    std::string GetBkImage() const { return bkImage_.file; }
    // An entry name or a picture description; false when the description is malformed.
    bool SetBkImage(std::string_view image);
    void SetBorderColor(uint32_t argb);
    void SetBorderSize(int size);
    void SetBorderRound(Size round);

    // Painting: the steps in order, each replaceable by a subclass.
    virtual void DoPaint(IRender& render, const Rect& dirty);
    virtual void PaintBkColor(IRender& render);
    virtual void PaintBkImage(IRender& render);
    virtual void PaintStatusImage(IRender& render);
    virtual void PaintText(IRender& render);
    virtual void PaintBorder(IRender& render);
    // Draws a picture into the control (spec.dest relative to its top left).
    bool DrawImage(IRender& render, const ImageSpec& spec, int frame = 0);

    virtual void DoEvent(TEventUI& event);

    // The deepest visible control at p that takes the mouse, or nullptr.
    virtual CControlUI* FindControlAt(Point p);
    // This control and every control below it, depth first.
    virtual void Visit(const std::function<void(CControlUI&)>& visitor);

    // Sets one layout attribute; false for an unknown name or a malformed value.
    virtual bool SetAttribute(std::string_view name, std::string_view value);
    // name="value" pairs; false when the list is malformed or an attribute failed.
    bool SetAttributeList(std::string_view list);

    virtual void DescribeState(ControlState* state) const;
    // Called on every control after each layout pass of the window.
    virtual void OnLayoutDone() {}

    ControlTree* GetTree() const { return tree_; }
    CControlUI* GetParent() const { return parent_; }
    // Joins (or, with nullptr, leaves) a tree; containers pass it on.
    virtual void Attach(ControlTree* tree, CControlUI* parent);

    // Repaints the control's rectangle.
    void Invalidate();
    // The container must lay out its controls again (size or visibility changed).
    void NeedParentLayout();
    // This control must lay out its own controls again.
    void NeedLayout();

protected:
    // Sends a notification of this control to the window.
    void Notify(std::string_view type, intptr_t wParam = 0, intptr_t lParam = 0);

    std::string name_;
    std::string text_;
    std::string userData_;
    std::string virtualWnd_;
    bool visible_ = true;
    bool enabled_ = true;
    bool mouseEnabled_ = true;
    bool float_ = false;

    Rect pos_;
    Rect floatPos_;
    Rect padding_;
    int fixedWidth_ = 0;
    int fixedHeight_ = 0;
    int minWidth_ = 0;
    int maxWidth_ = 9999;
    int minHeight_ = 0;
    int maxHeight_ = 9999;

    uint32_t bkColor_ = 0;
    ImageSpec bkImage_;
    uint32_t borderColor_ = 0;
    int borderSize_ = 0;
    Size borderRound_;

    ControlTree* tree_ = nullptr;
    CControlUI* parent_ = nullptr;
};

}  // namespace uikit
