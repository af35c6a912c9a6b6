// The picture of a window's drop shadow: black with an alpha that is
// darkest along the window's (rounded) edge and fades to nothing size
// pixels outside it.
#pragma once

#include "uikit/core/geometry.h"

#include <cstdint>
#include <vector>

namespace uikit {

struct ShadowSettings {
    int darkness = 0;   // alpha at the window's edge, 0 to 255; 0 = no shadow
    int sharpness = 11;  // how quickly it fades: 11 fades with the square of the distance, higher is harder
    int size = 0;       // pixels beyond the window's edge
    Point offset;       // of the shadow against the window
    int roundness = 0;  // corner radius of the window's outline
};

// Pixels (premultiplied 0xAARRGGBB, rows top down) of a bitmap as large as
// the window plus size on every side; the window's top left lies at
// (size - offset.x, size - offset.y) in it.
std::vector<uint32_t> MakeShadowBitmap(Size window, const ShadowSettings& settings);
Size ShadowBitmapSize(Size window, const ShadowSettings& settings);

}  // namespace uikit
