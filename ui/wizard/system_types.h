// The catalogue's images by OS type code (an image's imagetype): the tip
// picture the wizard shows for it on the system step and the label of the
// install page; and the texts of a catalogue row.
#pragma once

#include "app/catalogue.h"

#include <cstdint>
#include <string>

namespace qnb::ui {

// "skin/win10_64.jpg" ...; "skin/default.jpg" for any other code.
const char* TipPictureOf(int32_t imageType);
// "已选择：Windows 10 64位" ...; "未选择系统" for any other code.
const char* InstallLabelOf(int32_t imageType);

// Recommended for this PC: brecommend, and the type of the machine's Windows
// (never on a machine of type 0).
bool IsRecommended(const CatalogueEntry& entry, int machineTypeCode);

// A row's size: "%0.1fGB", "%0.1fMB", "%0.1fKB" above a GiB, MiB, KiB
// (divided in double precision); "" up to 1024 bytes and for a negative size.
std::string CatalogueSizeText(int64_t bytes);
// A row's date: the local calendar day of seconds since 1970, "%Y-%m-%d";
// "" when the time cannot be converted.
std::string CatalogueDateText(int64_t seconds);

}  // namespace qnb::ui
