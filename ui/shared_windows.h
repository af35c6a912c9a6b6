// The shadow every window of the program casts.
#pragma once

#include "uikit/core/shadow_bitmap.h"

namespace qnb::ui {

inline uikit::ShadowSettings WindowShadow() {
    uikit::ShadowSettings shadow;
    shadow.darkness = 40;
    shadow.sharpness = 11;
    shadow.size = 11;
    shadow.offset = {0, 0};
    return shadow;
}

// Keys a window swallows so that they neither close it nor press a button.
inline bool IsSwallowedKey(unsigned message, unsigned key) {
    return message == 0x0100 /* WM_KEYDOWN */ && (key == 0x0D || key == 0x1B || key == 0x20);
}

}  // namespace qnb::ui
