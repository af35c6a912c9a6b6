#include "uikit/automation/automation.h"

#include "uikit/controls/combo.h"
#include "uikit/controls/rich_edit.h"
#include "uikit/core/container.h"

namespace uikit::automation {

namespace {

// "name" or "name[n]" below parent (the whole tree for nullptr).
CControlUI* FindStep(const ControlTree& tree, CControlUI* parent, std::string_view step) {
    std::string_view name = step;
    int row = -1;
    if (!step.empty() && step.back() == ']') {
        size_t open = step.find('[');
        if (open == std::string_view::npos || open + 2 > step.size() - 1) return nullptr;
        std::string_view digits = step.substr(open + 1, step.size() - open - 2);
        if (digits.size() > 6) return nullptr;
        row = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') return nullptr;
            row = row * 10 + (c - '0');
        }
        name = step.substr(0, open);
    }
    CControlUI* control = parent ? ControlTree::FindIn(parent, name) : tree.Find(name);
    if (!control || row < 0) return control;
    auto* container = dynamic_cast<CContainerUI*>(control);
    return container ? container->GetItemAt(row) : nullptr;
}

}  // namespace

CControlUI* FindByAddress(const ControlTree& tree, std::string_view address) {
    CControlUI* at = nullptr;
    while (true) {
        size_t slash = address.find('/');
        at = FindStep(tree, at, address.substr(0, slash));
        if (!at || slash == std::string_view::npos) return at;
        address.remove_prefix(slash + 1);
    }
}

Json::Value DescribeControl(const CControlUI& control) {
    ControlState state;
    control.DescribeState(&state);
    Json::Value j(Json::objectValue);
    j["name"] = control.GetName();
    j["type"] = std::string(control.GetClass());
    j["text"] = control.GetText();
    j["visible"] = state.visible;
    j["enabled"] = state.enabled;
    if (state.checked >= 0) j["checked"] = state.checked == 1;
    if (state.value >= 0 || state.maximum != state.minimum) j["value"] = state.value;
    if (state.maximum != state.minimum) {
        j["min"] = state.minimum;
        j["max"] = state.maximum;
    }
    if (auto* combo = dynamic_cast<const CComboUI*>(&control)) {
        Json::Value items(Json::arrayValue);
        for (const std::string& item : combo->Items()) items.append(item);
        j["items"] = items;
    }
    j["bkimage"] = state.bkimage;
    const Rect& rc = control.GetPos();
    Json::Value pos(Json::arrayValue);
    for (int v : {rc.left, rc.top, rc.right, rc.bottom}) pos.append(v);
    j["pos"] = pos;
    if (auto* container = dynamic_cast<const CContainerUI*>(&control)) {
        Json::Value children(Json::arrayValue);
        for (int i = 0; i < container->GetCount(); ++i) children.append(DescribeControl(*container->GetItemAt(i)));
        j["children"] = children;
    }
    return j;
}

Json::Value DescribeTree(const ControlTree& tree) {
    if (!tree.Root()) return Json::Value(Json::nullValue);
    return DescribeControl(*tree.Root());
}

ClickTarget FindClickTarget(ControlTree& tree, CControlUI& control) {
    ClickTarget target;
    tree.LayoutIfNeeded();
    if (!control.IsVisible()) {
        target.problem = "the control is hidden";
        return target;
    }
    Rect client{0, 0, tree.ClientSize().cx, tree.ClientSize().cy};
    Rect visible = control.GetPos().Intersect(client);
    if (visible.IsEmpty()) {
        target.problem = "the control lies outside the window";
        return target;
    }
    target.at = visible.Centre();
    CControlUI* hit = tree.ControlAt(target.at);
    for (CControlUI* c = hit; c; c = c->GetParent()) {
        if (c == &control) {
            target.hit = hit;
            return target;
        }
    }
    // Rows hand clicks on their labels to themselves, so the hit may be an ancestor row.
    if (hit && dynamic_cast<const CContainerUI*>(hit)) {
        for (CControlUI* c = control.GetParent(); c; c = c->GetParent()) {
            if (c == hit) {
                target.hit = hit;
                return target;
            }
        }
    }
    target.problem = "the control is covered by " + (hit ? std::string(hit->GetClass()) + " \"" + hit->GetName() + "\""
                                                         : std::string("nothing that takes the mouse"));
    return target;
}

void Click(ControlTree& tree, const ClickTarget& target) {
    tree.MouseMove(target.at);
    tree.ButtonDown(target.at);
    tree.ButtonUp(target.at);
}

void SetText(CControlUI& control, const std::string& text) {
    control.SetText(text);
    if (auto* edit = dynamic_cast<CRichEditUI*>(&control)) edit->OnNativeTextChanged();
}

bool Choose(CControlUI& control, int index) {
    auto* combo = dynamic_cast<CComboUI*>(&control);
    if (!combo || !control.IsEnabled() || index < 0 || index >= combo->GetCount()) return false;
    return combo->SelectItem(index, true);
}

}  // namespace uikit::automation
