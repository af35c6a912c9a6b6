// An option without a group: each click turns it on or off.
#pragma once

#include "uikit/controls/option.h"

namespace uikit {

class CCheckBoxUI : public COptionUI {
public:
    std::string_view GetClass() const override { return "CheckBox"; }
    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool check, bool notify = true) { Selected(check, notify); }
    bool SetAttribute(std::string_view name, std::string_view value) override {
        if (name == "group") return false;  // check boxes stand alone
        if (name == "checked") return COptionUI::SetAttribute("selected", value);
        return COptionUI::SetAttribute(name, value);
    }
};

}  // namespace uikit
