// CXMenuList: the main window's small menu of links, a child window that
// hides itself when it loses the focus.
#pragma once

#include "app/app_context.h"
#include "ui/desktop.h"
#include "uikit/win32/window_impl_base.h"

namespace qnb::ui {

class CXMenuList : public uikit::WindowImplBase {
public:
    CXMenuList(AppContext& context, Desktop& desktop);

    // Made on first use as a child of parent; placed with its left edge 50
    // pixels left of anchor's left edge and its top at anchor's top.
    void Popup(HWND parent, const uikit::Rect& anchor);

    std::string GetWindowClassName() const override { return "menuwnd"; }
    std::string GetSkinFile() const override { return "menu.xml"; }

protected:
    void Notify(uikit::TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT MessageFilter(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void CheckUpdate();

    AppContext& context_;
    Desktop& desktop_;
};

}  // namespace qnb::ui
