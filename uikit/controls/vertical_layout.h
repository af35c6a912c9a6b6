// Children one below the other: fixed heights first, the rest shared.
#pragma once

#include "uikit/core/container.h"

namespace uikit {

class CVerticalLayoutUI : public CContainerUI {
public:
    std::string_view GetClass() const override { return "VerticalLayout"; }
    void SetPos(const Rect& rc) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;

private:
    // childalign="center" or "right": where children narrower than the layout go.
    unsigned childAlign_ = kAlignLeft;
    // childvalign="vcenter" or "bottom": where the children go when none takes the rest of the height.
    unsigned childVAlign_ = kAlignTop;
};

}  // namespace uikit
