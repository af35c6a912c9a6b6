// Makes controls from a layout description. The framework's own elements
// are created here; any other element is offered to the program's factory
// (its controls: "XProgress", "syslist" ...).
#pragma once

#include "uikit/core/control.h"
#include "uikit/core/layout_document.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace uikit {

class IControlFactory {
public:
    virtual ~IControlFactory() = default;
    // The control for an element the framework does not know, or nullptr.
    virtual std::unique_ptr<CControlUI> CreateControl(std::string_view tag) = 0;
};

// The framework's control for a tag ("Button"), or nullptr.
std::unique_ptr<CControlUI> CreateFrameworkControl(std::string_view tag);

class CDialogBuilder {
public:
    // defaults: the Default elements of the window; factory may be nullptr.
    CDialogBuilder(std::vector<DefaultAttributes> defaults, IControlFactory* factory);

    // The control tree of node. Elements nobody knows are left out, and
    // attributes that do not apply are skipped; both are listed in Problems().
    std::unique_ptr<CControlUI> Build(const LayoutNode& node);
    const std::vector<std::string>& Problems() const { return problems_; }

private:
    std::unique_ptr<CControlUI> Create(const LayoutNode& node);
    void Apply(CControlUI& control, const LayoutNode& node);

    std::vector<DefaultAttributes> defaults_;
    IControlFactory* factory_;
    std::vector<std::string> problems_;
};

}  // namespace uikit
