// The drawing a control does, independent of the graphics library. The
// window host implements it with GDI+; tests record the calls.
#pragma once

#include "uikit/core/attribute_values.h"
#include "uikit/core/geometry.h"

#include <cstdint>
#include <string_view>

namespace uikit {

// Text placement flags.
enum TextFlags : unsigned {
    kAlignLeft = 0,
    kAlignCenter = 1u << 0,
    kAlignRight = 1u << 1,
    kAlignTop = 0,
    kAlignVCenter = 1u << 2,
    kAlignBottom = 1u << 3,
    kSingleLine = 1u << 4,
    kWordBreak = 1u << 5,
    kEndEllipsis = 1u << 6,
};

struct TextStyle {
    int font = -1;           // font id of the window; -1 = its default font
    uint32_t colour = 0xFF000000;
    unsigned flags = kAlignLeft | kAlignVCenter | kSingleLine;
};

class IRender {
public:
    virtual ~IRender() = default;
    virtual void FillRect(const Rect& rc, uint32_t argb) = 0;
    virtual void FillRoundRect(const Rect& rc, int radius, uint32_t argb) = 0;
    virtual void DrawBorder(const Rect& rc, int width, int radius, uint32_t argb) = 0;
    // Draws spec's picture (frame: index of an animation frame) into dest.
    // False when the picture is missing or cannot be decoded.
    virtual bool DrawImage(const Rect& dest, const ImageSpec& spec, int frame = 0) = 0;
    // Draws text as given; the caller has already shortened it for an end ellipsis.
    virtual void RenderText(const Rect& rc, std::string_view text, const TextStyle& style) = 0;
    // The size text takes in font; maxWidth > 0 wraps lines at that width.
    virtual Size MeasureText(std::string_view text, int font, int maxWidth) = 0;
    // An anti-aliased arc of the ellipse in the rectangle (x, y, width, height),
    // angles in degrees clockwise from three o'clock, with a pen penWidth wide.
    virtual void DrawArc(int x, int y, int width, int height, float startAngle, float sweepAngle, int penWidth,
                         uint32_t argb) = 0;
    // Limits drawing to rc (intersected with the current limit) until PopClip.
    virtual void PushClip(const Rect& rc) = 0;
    virtual void PopClip() = 0;
};

}  // namespace uikit
