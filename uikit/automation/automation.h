// The automation channel's work on a window's controls, for test and demo
// builds only: describe the controls, click one, set a text. The window
// host carries the requests between processes.
#pragma once

#include "uikit/core/control_tree.h"

#include <json/json.h>

#include <string>

namespace uikit::automation {

// A control by its address: its name ("btn_next"), or the n-th row (from 0)
// of a list or another container ("sys_list[2]"), or a control inside that
// row ("sys_list[2]/check_sys"); addresses nest ("a[0]/b[1]/c"). Names are
// looked up depth first, the first of that name. nullptr when there is none.
CControlUI* FindByAddress(const ControlTree& tree, std::string_view address);

// One control and everything below it: name, type, text, visible, enabled,
// checked (options), value (progress, tab, list, combo), items (combo),
// bkimage, pos, children.
Json::Value DescribeControl(const CControlUI& control);
Json::Value DescribeTree(const ControlTree& tree);

// What a click on control would hit: the control itself, a control inside
// it, or a reason why the mouse cannot reach it (hidden, covered, outside
// the window).
struct ClickTarget {
    CControlUI* hit = nullptr;
    Point at;
    std::string problem;
};
ClickTarget FindClickTarget(ControlTree& tree, CControlUI& control);

// Moves the mouse to the control's centre, presses and releases it there,
// as the user would. A disabled control takes the click and ignores it.
void Click(ControlTree& tree, const ClickTarget& target);

// Sets the text as typed by the user (text boxes then report "textchanged").
void SetText(CControlUI& control, const std::string& text);

// Picks a combo box's item as its drop-down list does ("itemselect");
// false for another control or an index it has not.
bool Choose(CControlUI& control, int index);

}  // namespace uikit::automation
