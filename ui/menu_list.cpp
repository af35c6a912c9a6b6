#include "ui/menu_list.h"

#include "ui/main_logic.h"
#include "ui/shared_windows.h"

namespace qnb::ui {

namespace {
constexpr char kMenuSource[] = "?from=onekey_reinstall";
}

CXMenuList::CXMenuList(AppContext& context, Desktop& desktop, PreparedStartHooks prepared)
    : context_(context), desktop_(desktop), prepared_(std::move(prepared)) {}

void CXMenuList::Popup(HWND parent, const uikit::Rect& anchor) {
    if (!GetHWND() && !Create(parent, "menu", 0x56000000, WS_EX_WINDOWEDGE)) return;
    // Looked at each time: the record comes and goes with the installer and the undo.
    bool prepared = prepared_.question && prepared_.question().has_value();
    if (uikit::CControlUI* undo = FindControl("btn_undo_pe")) undo->SetVisible(prepared);
    SetWindowPos(GetHWND(), HWND_TOP, anchor.left - 50, anchor.top, kWidth, kHeight + (prepared ? kUndoHeight : 0), 0);
    ShowWindow(true, true);
}

void CXMenuList::UndoPreparedStart() {
    HWND owner = GetParent(GetHWND());
    std::optional<std::string> question = prepared_.question ? prepared_.question() : std::nullopt;
    if (!question || !prepared_.undo) return;
    if (desktop_.ShowMessage(owner, *question, kUndoCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    bool undone = prepared_.undo();
    desktop_.ShowMessage(owner, undone ? kUndoneText : kUndoFailedText, kUndoCaption,
                         MB_OK | (undone ? MB_ICONINFORMATION : MB_ICONWARNING));
}

void CXMenuList::CheckUpdate() {
    // Whatever the answer says, the user hears it; a newer version opens its page.
    int state = context_.UpdateState();
    UpdatePrompt prompt = DecideUpdatePrompt(state, context_.Update());
    HWND owner = GetParent(GetHWND());
    if (prompt.show) {
        if (!prompt.url.empty()) desktop_.OpenUrl(prompt.url, SW_SHOWMAXIMIZED);
    } else if (state == 1) {
        desktop_.ShowMessage(owner, kNoUpdateText, kUpdateCaption, MB_OK | MB_ICONINFORMATION);
    } else if (state == 0) {
        desktop_.ShowMessage(owner, kUpdateUnknownText, kUpdateCaption, MB_OK | MB_ICONINFORMATION);
    } else {
        desktop_.ShowMessage(owner, kUpdateFailedText, kUpdateCaption, MB_OK | MB_ICONWARNING);
    }
}

void CXMenuList::Notify(uikit::TNotifyUI& msg) {
    if (msg.type != uikit::notify::kClick || !msg.sender) return;
    const std::string& name = msg.sender->GetName();
    const char* path = nullptr;
    if (name == "btn_jiaocheng") path = "/jiaocheng/";
    else if (name == "btn_site") path = "/";
    else if (name == "btn_feetback") path = "/contactus.html";
    else if (name == "btn_about") path = "/aboutus.html";
    ShowWindow(false, false);
    if (path) desktop_.OpenUrl(SiteLink(QNB_SITE_HOST, std::string(path) + kMenuSource), SW_SHOWNORMAL);
    else if (name == "btn_update") CheckUpdate();
    else if (name == "btn_undo_pe") UndoPreparedStart();
}

LRESULT CXMenuList::HandleMessage(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    handled = false;
    if (msg == WM_KILLFOCUS) {
        HWND to = reinterpret_cast<HWND>(wParam);
        if (to != GetHWND() && !IsChild(GetHWND(), to)) ShowWindow(false, false);
    }
    return 0;
}

LRESULT CXMenuList::MessageFilter(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    handled = IsSwallowedKey(msg, static_cast<unsigned>(wParam));
    return 0;
}

}  // namespace qnb::ui
