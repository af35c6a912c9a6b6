// The list a combo opens: a popup below it that takes the mouse until an
// item is chosen (click, Enter) or the list is dismissed (click outside, Esc).
#pragma once

namespace uikit {

class CComboUI;
class WindowImplBase;

class ComboPopup {
public:
    // Returns when the list has closed; a chosen item is selected in combo.
    static void Show(WindowImplBase& owner, CComboUI& combo);
};

}  // namespace uikit
