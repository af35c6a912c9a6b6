// CXMenuList: the main window's small menu of links, a child window that
// hides itself when it loses the focus. While a start is prepared it also
// offers to take it back ("取消重装准备"), after a Yes/No question.
#pragma once

#include "app/app_context.h"
#include "ui/desktop.h"
#include "uikit/win32/window_impl_base.h"

#include <functional>
#include <optional>
#include <string>

namespace qnb::ui {

// The prepared start, as the menu sees it.
struct PreparedStartHooks {
    // The question that says what the undo would take back; nothing while no start is prepared.
    std::function<std::optional<std::string>()> question;
    // Takes it back; false when that failed.
    std::function<bool()> undo;
};

class CXMenuList : public uikit::WindowImplBase {
public:
    static constexpr int kWidth = 100;
    static constexpr int kHeight = 123;      // the links
    static constexpr int kUndoHeight = 24;   // the undo item below them

    CXMenuList(AppContext& context, Desktop& desktop, PreparedStartHooks prepared = {});

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
    void UndoPreparedStart();

    AppContext& context_;
    Desktop& desktop_;
    PreparedStartHooks prepared_;
};

}  // namespace qnb::ui
