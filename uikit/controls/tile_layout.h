// Children in rows of equal cells, left to right, top to bottom.
#pragma once

#include "uikit/core/container.h"

namespace uikit {

class CTileLayoutUI : public CContainerUI {
public:
    std::string_view GetClass() const override { return "TileLayout"; }
    void SetPos(const Rect& rc) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;

private:
    int columns_ = 1;
    Size itemSize_;  // 0,0: the width is shared by the columns and a cell is as high as it is wide
};

}  // namespace uikit
