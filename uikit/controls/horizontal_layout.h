// Children side by side: fixed widths first, the rest shared.
#pragma once

#include "uikit/core/container.h"

namespace uikit {

class CHorizontalLayoutUI : public CContainerUI {
public:
    std::string_view GetClass() const override { return "HorizontalLayout"; }
    void SetPos(const Rect& rc) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;

private:
    // childvalign="vcenter" or "bottom": where children lower than the layout go.
    unsigned childVAlign_ = kAlignTop;
    // childalign="center" or "right": where the children go when none takes the rest of the width.
    unsigned childAlign_ = kAlignLeft;
};

}  // namespace uikit
