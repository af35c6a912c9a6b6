#include "ui/guide_dlg.h"

#include "ui/shared_windows.h"
#include "ui/window_styles.h"
#include "uikit/controls/option.h"
#include "uikit/controls/tab_layout.h"

namespace qnb::ui {

CGuideToCloseSafe::CGuideToCloseSafe(SecurityDetector& detector) : detector_(detector) {}

void CGuideToCloseSafe::Run(HWND owner, SecurityDetector& detector) {
    CGuideToCloseSafe guide(detector);
    if (!guide.Create(owner, "GuideToCloseSafe", kPopupStyle, kTopmostExStyle)) return;
    guide.CenterWindow();
    guide.ShowModal();
}

void CGuideToCloseSafe::OnCreate() { SetShadow(WindowShadow()); }

void CGuideToCloseSafe::InitWindow() {
    int visible = 0;
    for (const ProductInfo& product : GuideProducts()) {
        auto* option = Find<uikit::COptionUI>(product.option);
        if (!option) continue;
        if (detector_.IsPresent(product.code)) {
            option->SetVisible(true);
            option->Selected(true);
            ++visible;
        } else {
            option->SetVisible(false);
        }
    }
    if (visible == 1) {
        steps_.Choose(detector_.DetectSecurityProducts());
        ShowStep();
    }
}

void CGuideToCloseSafe::ShowStep() {
    GuideSteps::View view = steps_.Show();
    auto* tab = Find<uikit::CTabLayoutUI>("tab_main");
    if (tab) tab->SelectItem(view.page);
    if (view.page != 1) return;
    if (uikit::CControlUI* step = FindControl("guide_step")) step->SetBkImage(view.picture);
    if (uikit::CControlUI* next = FindControl("btn_next")) next->SetText(view.nextText);
}

void CGuideToCloseSafe::Notify(uikit::TNotifyUI& msg) {
    if (msg.type != uikit::notify::kClick || !msg.sender) return;
    const std::string& name = msg.sender->GetName();
    if (name == "btn_close") {
        Close(1);
    } else if (name == "btn_next") {
        steps_.Next();
        ShowStep();
    } else if (name == "begin") {
        std::vector<int> selected;
        for (const ProductInfo& product : GuideProducts()) {
            auto* option = Find<uikit::COptionUI>(product.option);
            if (option && option->IsVisible() && option->IsSelected()) selected.push_back(product.code);
        }
        steps_.Begin(selected);
        ShowStep();
    }
}

}  // namespace qnb::ui
