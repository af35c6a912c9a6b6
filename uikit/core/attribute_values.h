// Values of layout attributes: colours, rectangles, sizes, flags, numbers,
// picture descriptions and attribute lists. Every parser answers nothing
// for a malformed value; the caller keeps its earlier setting then.
#pragma once

#include "uikit/core/geometry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace uikit {

// "#AARRGGBB" or "#RRGGBB" (opaque) → 0xAARRGGBB.
std::optional<uint32_t> ParseColour(std::string_view value);
// "l,t,r,b" (blanks allowed around the numbers).
std::optional<Rect> ParseRect(std::string_view value);
// "cx,cy".
std::optional<Size> ParseSize(std::string_view value);
// Numbers of layouts (pixels, counts, ids) lie within this, so that the
// layout arithmetic of any layout stays far from overflowing.
constexpr int kLayoutNumberLimit = 100000;

// A decimal integer, optionally signed, nothing after it, within ±kLayoutNumberLimit.
std::optional<int> ParseInt(std::string_view value);
// "true" or "false".
std::optional<bool> ParseBool(std::string_view value);

// A picture to draw: the entry name, the part of the picture to take, the
// fixed borders of a nine-grid stretch, where to put it in the control and
// its opacity.
struct ImageSpec {
    std::string file;
    std::optional<Rect> source;  // whole picture when absent
    Rect corner;                 // 0,0,0,0: plain stretch
    std::optional<Rect> dest;    // relative to the control; whole control when absent
    int fade = 255;

    bool IsEmpty() const { return file.empty(); }
    bool operator==(const ImageSpec& o) const {
        return file == o.file && source == o.source && corner == o.corner && dest == o.dest && fade == o.fade;
    }
};

// "name.png" or "file='name.png' source='0,0,10,10' corner='4,4,4,4' dest='..' fade='128'".
// Unknown keys are ignored; an empty value is an empty spec.
std::optional<ImageSpec> ParseImage(std::string_view value);

// name="value" pairs separated by blanks, in order; quotes may be " or '.
// Used by the Default element's value and by SetAttributeList.
std::optional<std::vector<std::pair<std::string, std::string>>> ParseAttributeList(std::string_view list);

}  // namespace uikit
