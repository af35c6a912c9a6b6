// CXImageList: the restore window's list of backups, one row per record
// (skin/backupimagelist.xml: a 35-pixel row whose label "imagedate" holds
// the row's text).
#pragma once

#include "uikit/controls/list.h"

#include <string>
#include <string_view>
#include <vector>

namespace qnb::ui {

class CXImageList : public uikit::CListUI {
public:
    // The layout element ("bilist" in any case) and the row layout.
    static constexpr char kElement[] = "bilist";
    static constexpr char kRowLayout[] = "backupimagelist.xml";
    static bool IsElement(std::string_view tag);

    std::string_view GetClass() const override { return kElement; }

    // A row at the end showing text; false when the row cannot be built.
    bool AddImage(const std::string& text);
    // The rows' texts, in list order.
    std::vector<std::string> Texts() const;
};

}  // namespace qnb::ui
