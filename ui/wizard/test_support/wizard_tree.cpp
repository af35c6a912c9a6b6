#include "ui/wizard/test_support/wizard_tree.h"

#include "ui/wizard/folder_list.h"
#include "ui/wizard/page_hw.h"
#include "ui/wizard/sys_list.h"
#include "ui/wizard/wizard_controls.h"
#include "uikit/core/skin_store.h"

#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace qnb::ui::test {

std::string SkinFile(const std::string& name) {
    std::ifstream in(std::string(QNB_SOURCE_DIR) + "/skin/" + name, std::ios::binary);
    if (!in) throw std::runtime_error("no skin file " + name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::unique_ptr<uikit::CControlUI> WizardControls::CreateControl(std::string_view tag) {
    return CreateWizardControl(tag);
}

WizardTree::WizardTree() {
    std::map<std::string, std::string, std::less<>> files;
    for (const char* name : {"global.xml", "InstallDlg.xml"}) files[std::string("skin/") + name] = SkinFile(name);
    std::map<std::string, std::string_view, std::less<>> views(files.begin(), files.end());
    uikit::SkinLookup lookup = [&views](std::string_view name) -> const std::string_view* {
        auto it = views.find(name);
        return it == views.end() ? nullptr : &it->second;
    };
    uikit::LayoutDocument document;
    std::string error;
    if (!uikit::ReadWindowLayout(lookup, "skin/", "InstallDlg.xml", &document, &error)) throw std::runtime_error(error);
    for (const char* row : {CSysListUI::kRowLayout, CPageHW::kRowLayout, CFolderList::kRowLayout}) {
        host.layouts[row] = SkinFile(row);
    }
    // The animations as the skin's GIFs would be: frames of 80 ms.
    for (const char* gif : {"check.gif", "loading.gif"}) host.frameDelays[gif] = {80, 80, 80};
    WizardControls factory;
    uikit::CDialogBuilder builder(document.defaults, &factory);
    tree.SetFonts(document.fonts);
    tree.SetDefaults(document.defaults);
    tree.SetRoot(builder.Build(document.root));
    problems = builder.Problems();
    tree.SetNotifier(this);
    tree.Resize({920, 600});
    tree.LayoutIfNeeded();
}

void WizardTree::Notify(uikit::TNotifyUI& msg) {
    if (pump.RouteToPage(msg)) return;
    windowNotifications.push_back((msg.sender ? msg.sender->GetName() : std::string("?")) + ":" + msg.type);
}

void WizardTree::Click(uikit::CControlUI* control) {
    if (!control) throw std::runtime_error("no control to click");
    tree.LayoutIfNeeded();
    uikit::Point p = control->GetPos().Centre();
    tree.MouseMove(p);
    tree.ButtonDown(p);
    tree.ButtonUp(p);
}

bool WizardTree::Visible(std::string_view name) const {
    uikit::CControlUI* c = tree.Find(name);
    return c && c->IsVisible();
}

bool WizardTree::Enabled(std::string_view name) const {
    uikit::CControlUI* c = tree.Find(name);
    return c && c->IsEnabled();
}

std::string WizardTree::Text(std::string_view name) const {
    uikit::CControlUI* c = tree.Find(name);
    return c ? c->GetText() : "<no control>";
}

}  // namespace qnb::ui::test
