// The wizard's window layout (skin/InstallDlg.xml, read as the window reads
// it) built natively on a fake host, its row layouts at hand and its pages'
// notifications routed by virtual window as the window routes them. For the
// pages' native tests.
#pragma once

#include "uikit/core/builder.h"
#include "uikit/core/control_tree.h"
#include "uikit/core/notify_pump.h"
#include "uikit/test_support/fake_host.h"

#include <string>
#include <vector>

namespace qnb::ui::test {

// A file of the source tree's skin/.
std::string SkinFile(const std::string& name);

// The program's own elements of the wizard's layout.
class WizardControls : public uikit::IControlFactory {
public:
    std::unique_ptr<uikit::CControlUI> CreateControl(std::string_view tag) override;
};

class WizardTree : public uikit::INotifyUI {
public:
    WizardTree();

    template <typename T>
    T* Get(std::string_view name) const {
        return dynamic_cast<T*>(tree.Find(name));
    }
    // Presses and releases the mouse over the control's centre.
    void Click(uikit::CControlUI* control);
    void Click(std::string_view name) { Click(tree.Find(name)); }
    bool Visible(std::string_view name) const;
    bool Enabled(std::string_view name) const;
    std::string Text(std::string_view name) const;

    // Routes to the page of the sender's virtual window; the rest is written down.
    void Notify(uikit::TNotifyUI& msg) override;

    uikit::testing::FakeHost host;
    uikit::ControlTree tree{&host};
    uikit::CNotifyPump pump;
    std::vector<std::string> problems;
    std::vector<std::string> windowNotifications;  // "name:type"
};

}  // namespace qnb::ui::test
