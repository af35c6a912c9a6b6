// What the catalogue page keeps of the image choice for a local ISO.
#pragma once

#include "app/app_context.h"

#include <string>

namespace qnb::images {

// The image choice window's answer: its result (0 cancelled, 1 use this
// ISO, 2 the image list could not be read), whether the ISO has an
// install.wim, and the chosen image (from 1; 0 when none).
struct IsoChoice {
    int result = 0;
    bool ready = false;
    int imageIndex = 0;
};

// On result 1: the ISO becomes the local image (bLocalImage, strImagePath)
// with its image number nWIMPart (0 when it has no install.wim);
// SETTING.JSON is written at once. Any other result stores nothing. True when it stored.
bool StoreIsoChoice(AppContext& context, const std::string& isoPath, const IsoChoice& choice);

}  // namespace qnb::images
