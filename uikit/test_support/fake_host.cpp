#include "uikit/test_support/fake_host.h"

#include "uikit/core/attribute_values.h"
#include "uikit/core/builder.h"

#include <stdexcept>

namespace uikit::testing {

std::unique_ptr<CControlUI> FakeHost::BuildLayout(std::string_view file, std::string* error) {
    auto it = layouts.find(std::string(file));
    if (it == layouts.end()) {
        *error = "no layout " + std::string(file);
        return nullptr;
    }
    LayoutDocument document;
    if (!ParseLayout(it->second, &document, error)) return nullptr;
    CDialogBuilder builder({}, nullptr);
    return builder.Build(document.root);
}

TestWindow::TestWindow(const std::string& xml, IControlFactory* factory, const SharedStyles* shared) {
    std::string error;
    if (!ParseLayout(xml, &document, &error)) throw std::runtime_error(error);
    if (shared && !ApplySharedStyles(*shared, &document, &error)) throw std::runtime_error(error);
    tree.SetFonts(document.fonts);
    tree.SetDefaults(document.defaults);
    CDialogBuilder builder(document.defaults, factory);
    tree.SetRoot(builder.Build(document.root));
    problems = builder.Problems();
    tree.SetNotifier(&log);
    Size size{400, 300};
    for (const auto& [name, value] : document.window) {
        if (name == "size") {
            if (auto s = ParseSize(value)) size = *s;
        }
    }
    tree.Resize(size);
    tree.LayoutIfNeeded();
}

void TestWindow::Click(std::string_view name) {
    CControlUI* control = tree.Find(name);
    if (!control) throw std::runtime_error("no control " + std::string(name));
    tree.LayoutIfNeeded();
    Point p = control->GetPos().Centre();
    tree.MouseMove(p);
    tree.ButtonDown(p);
    tree.ButtonUp(p);
}

}  // namespace uikit::testing
