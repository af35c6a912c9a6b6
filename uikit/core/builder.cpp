#include "uikit/core/builder.h"

#include "uikit/controls/button.h"
#include "uikit/controls/checkbox.h"
#include "uikit/controls/combo.h"
#include "uikit/controls/gif_anim.h"
#include "uikit/controls/horizontal_layout.h"
#include "uikit/controls/label.h"
#include "uikit/controls/list.h"
#include "uikit/controls/list_container_element.h"
#include "uikit/controls/option.h"
#include "uikit/controls/progress.h"
#include "uikit/controls/rich_edit.h"
#include "uikit/controls/tab_layout.h"
#include "uikit/controls/tile_layout.h"
#include "uikit/controls/vertical_layout.h"
#include "uikit/core/container.h"

#include <functional>
#include <utility>

namespace uikit {

namespace {

template <typename T>
std::unique_ptr<CControlUI> Make() {
    return std::make_unique<T>();
}

using Creator = std::unique_ptr<CControlUI> (*)();

const std::pair<std::string_view, Creator> kCreators[] = {
    {"Control", Make<CControlUI>},
    {"Container", Make<CContainerUI>},
    {"VerticalLayout", Make<CVerticalLayoutUI>},
    {"HorizontalLayout", Make<CHorizontalLayoutUI>},
    {"TabLayout", Make<CTabLayoutUI>},
    {"TileLayout", Make<CTileLayoutUI>},
    {"Label", Make<CLabelUI>},
    {"Text", Make<CLabelUI>},
    {"Button", Make<CButtonUI>},
    {"Option", Make<COptionUI>},
    {"CheckBox", Make<CCheckBoxUI>},
    {"List", Make<CListUI>},
    {"ListContainerElement", Make<CListContainerElementUI>},
    {"Progress", Make<CProgressUI>},
    {"RichEdit", Make<CRichEditUI>},
    {"Edit", Make<CRichEditUI>},
    {"Combo", Make<CComboUI>},
    {"GifAnim", Make<CGifAnimUI>},
};

std::string Describe(const LayoutNode& node) {
    const std::string* name = node.Find("name");
    return node.tag + (name ? " \"" + *name + "\"" : std::string());
}

}  // namespace

std::unique_ptr<CControlUI> CreateFrameworkControl(std::string_view tag) {
    for (const auto& [name, create] : kCreators) {
        if (name == tag) return create();
    }
    return nullptr;
}

CDialogBuilder::CDialogBuilder(std::vector<DefaultAttributes> defaults, IControlFactory* factory)
    : defaults_(std::move(defaults)), factory_(factory) {}

std::unique_ptr<CControlUI> CDialogBuilder::Build(const LayoutNode& node) { return Create(node); }

void CDialogBuilder::Apply(CControlUI& control, const LayoutNode& node) {
    for (const DefaultAttributes& d : defaults_) {
        if (d.tag != node.tag) continue;
        for (const auto& [name, value] : d.attributes) {
            if (!control.SetAttribute(name, value)) {
                problems_.push_back("Default " + d.tag + ": " + name + "=\"" + value + "\" does not apply");
            }
        }
    }
    for (const auto& [name, value] : node.attributes) {
        if (!control.SetAttribute(name, value)) {
            problems_.push_back(Describe(node) + ": " + name + "=\"" + value + "\" does not apply");
        }
    }
}

std::unique_ptr<CControlUI> CDialogBuilder::Create(const LayoutNode& node) {
    std::unique_ptr<CControlUI> control = CreateFrameworkControl(node.tag);
    if (!control && factory_) control = factory_->CreateControl(node.tag);
    if (!control) {
        problems_.push_back("unknown element " + Describe(node));
        return nullptr;
    }
    Apply(*control, node);

    if (auto* combo = dynamic_cast<CComboUI*>(control.get())) {
        // A combo's children are its items.
        for (const LayoutNode& child : node.children) {
            const std::string* text = child.Find("text");
            combo->AddItem(text ? *text : std::string());
            if (const std::string* selected = child.Find("selected"); selected && *selected == "true") {
                combo->SelectItem(combo->GetCount() - 1, false);
            }
        }
        return control;
    }
    auto* container = dynamic_cast<CContainerUI*>(control.get());
    if (!container) {
        if (!node.children.empty()) problems_.push_back(Describe(node) + " cannot hold controls");
        return control;
    }
    for (const LayoutNode& child : node.children) {
        if (auto built = Create(child)) container->Add(std::move(built));
    }
    // Attributes that depend on the children (a tab's selected page) apply again.
    if (const std::string* selected = node.Find("selectedid")) container->SetAttribute("selectedid", *selected);
    return control;
}

}  // namespace uikit
