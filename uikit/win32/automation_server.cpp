#include "uikit/win32/automation_server.h"

#include "platform/text.h"
#include "uikit/automation/automation.h"
#include "uikit/controls/combo.h"
#include "uikit/win32/framework.h"
#include "uikit/win32/message_loop.h"
#include "uikit/win32/window_impl_base.h"

#include <json/json.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>

namespace uikit::automation {

namespace {

HWND g_server = nullptr;
bool g_timersHeld = false;

std::string WindowText(HWND hwnd) {
    wchar_t buffer[2048];
    int n = GetWindowTextW(hwnd, buffer, 2048);
    return qnb::text::Narrow(std::wstring_view(buffer, n > 0 ? n : 0));
}

std::string ClassOf(HWND hwnd) {
    wchar_t buffer[256];
    int n = GetClassNameW(hwnd, buffer, 256);
    return qnb::text::Narrow(std::wstring_view(buffer, n > 0 ? n : 0));
}

Json::Value RectJson(HWND hwnd) {
    RECT rc;
    GetWindowRect(hwnd, &rc);
    Json::Value r(Json::arrayValue);
    for (LONG v : {rc.left, rc.top, rc.right, rc.bottom}) r.append(static_cast<int>(v));
    return r;
}

// The newest framework window of a class.
WindowImplBase* FindWindowOfClass(const std::string& cls) {
    const auto& windows = Framework::Windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if ((*it)->GetHWND() && (*it)->GetWindowClassName() == cls) return *it;
    }
    return nullptr;
}

// The common dialogs of this thread: the shell's folder picker (it holds a
// tree of folders) and the file-open dialog (it holds a file name box).
struct OpenDialog {
    HWND dialog = nullptr;
    HWND tree = nullptr;      // the folder picker's
    HWND fileName = nullptr;  // the file-open dialog's name box (cmb13 or edt1)
};

OpenDialog FindOpenDialog() {
    OpenDialog found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* result = reinterpret_cast<OpenDialog*>(param);
            if (!IsWindowVisible(hwnd) || ClassOf(hwnd) != "#32770") return TRUE;
            OpenDialog candidate{hwnd, FindWindowExW(hwnd, nullptr, L"SysTreeView32", nullptr), nullptr};
            if (!candidate.tree) {
                // A tree inside a child dialog (the new style's).
                EnumChildWindows(
                    hwnd,
                    [](HWND child, LPARAM p) -> BOOL {
                        auto* c = reinterpret_cast<OpenDialog*>(p);
                        if (ClassOf(child) == "SysTreeView32") c->tree = child;
                        return c->tree ? FALSE : TRUE;
                    },
                    reinterpret_cast<LPARAM>(&candidate));
            }
            for (int id : {0x47C /* cmb13 */, 0x480 /* edt1 */}) {
                if (!candidate.fileName) candidate.fileName = GetDlgItem(hwnd, id);
            }
            if (!candidate.tree && !candidate.fileName) return TRUE;
            *result = candidate;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring ItemText(HWND tree, HTREEITEM item) {
    wchar_t text[MAX_PATH] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    return SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)) ? text : L"";
}

// Selects path in the folder picker as the user would: from its root (the
// drive), each folder of the path opened and the next one found in it by
// name. False with the folder that could not be found (a picker that has
// only just shown may not have filled its tree yet).
bool SelectFolder(const OpenDialog& open, const std::wstring& path, std::string* missing) {
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(open.tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    if (!item) {
        *missing = "the root";
        return false;
    }
    size_t at = path.find(L'\\');
    while (at != std::wstring::npos && at + 1 < path.size()) {
        size_t end = path.find(L'\\', at + 1);
        std::wstring name = path.substr(at + 1, end == std::wstring::npos ? std::wstring::npos : end - at - 1);
        at = end;
        if (name.empty()) continue;
        SendMessageW(open.tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        auto child = reinterpret_cast<HTREEITEM>(
            SendMessageW(open.tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
        while (child && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, ItemText(open.tree, child).c_str(), -1,
                                       name.c_str(), -1) != CSTR_EQUAL) {
            child = reinterpret_cast<HTREEITEM>(
                SendMessageW(open.tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)));
        }
        if (!child) {
            *missing = qnb::text::Narrow(name);
            return false;
        }
        item = child;
    }
    SendMessageW(open.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    return true;
}

using After = std::function<void()>;

bool Fail(Json::Value* reply, const std::string& error) {
    (*reply)["ok"] = false;
    (*reply)["error"] = error;
    return false;
}

// Fills reply; after runs once the reply has been delivered.
void Execute(const Json::Value& request, Json::Value* reply, After* after) {
    (*reply)["ok"] = true;
    std::string command = request["command"].asString();
    if (command == "windows") {
        Json::Value windows(Json::arrayValue);
        for (WindowImplBase* w : Framework::Windows()) {
            if (!w->GetHWND()) continue;
            Json::Value j(Json::objectValue);
            j["class"] = w->GetWindowClassName();
            j["title"] = w->Title();
            j["visible"] = IsWindowVisible(w->GetHWND()) != FALSE;
            j["enabled"] = IsWindowEnabled(w->GetHWND()) != FALSE;
            j["modal"] = w->IsModal();
            j["rect"] = RectJson(w->GetHWND());
            windows.append(j);
        }
        (*reply)["windows"] = windows;
        (*reply)["pid"] = static_cast<Json::UInt>(GetCurrentProcessId());
        return;
    }
    if (command == "hold-timers") {
        g_timersHeld = request["on"].asBool();
        return;
    }
    if (command == "pick") {
        // Answers the folder picker or the file-open dialog this program shows.
        OpenDialog open = FindOpenDialog();
        if (!open.dialog) {
            (*reply)["absent"] = true;
            Fail(reply, "no file or folder dialog is open");
            return;
        }
        // The picker fills its tree after it shows; a selection made before is lost.
        if (open.tree && (SendMessageW(open.tree, TVM_GETCOUNT, 0, 0) == 0 ||
                          !SendMessageW(open.tree, TVM_GETNEXTITEM, TVGN_CARET, 0))) {
            (*reply)["absent"] = true;
            Fail(reply, "the folder picker is not ready yet");
            return;
        }
        (*reply)["dialog"] = open.tree ? "folder" : "file";
        if (request["cancel"].asBool()) {
            *after = [open] { PostMessageW(open.dialog, WM_COMMAND, IDCANCEL, 0); };
            return;
        }
        std::wstring path = qnb::text::Wide(request["path"].asString());
        std::string missing;
        if (open.tree && !SelectFolder(open, path, &missing)) {
            (*reply)["absent"] = true;
            Fail(reply, "the folder picker shows no " + missing + " (yet)");
            return;
        }
        *after = [open, path] {
            if (!open.tree) SetWindowTextW(open.fileName, path.c_str());
            PostMessageW(open.dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(open.dialog, IDOK)));
        };
        return;
    }
    std::string cls = request["class"].asString();
    WindowImplBase* window = FindWindowOfClass(cls);
    if (!window) {
        (*reply)["absent"] = true;
        Fail(reply, "no window of class " + cls);
        return;
    }
    if (command == "tree") {
        (*reply)["tree"] = DescribeTree(window->Tree());
        return;
    }
    if (command == "close") {
        UINT code = request.isMember("code") ? request["code"].asUInt() : IDCANCEL;
        *after = [window, code] { window->Close(code); };
        return;
    }
    if (command == "key") {
        unsigned key = request["key"].asUInt();
        HWND target = window->GetHWND();
        HWND focus = GetFocus();
        if (focus && Framework::WindowOf(focus) == window) target = focus;
        *after = [target, key] {
            // As the message loop would take it from the queue.
            for (UINT message : {WM_KEYDOWN, WM_KEYUP}) {
                MSG msg{target, message, key, message == WM_KEYDOWN ? 1 : (1 | 0xC0000000), GetTickCount(), {}};
                if (!PreTranslate(msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                }
            }
        };
        return;
    }
    if (command == "tick") {
        UINT timer = request["timer"].asUInt();
        int count = request.isMember("count") ? request["count"].asInt() : 1;
        *after = [cls, timer, count] {
            for (int i = 0; i < count; ++i) {
                WindowImplBase* w = FindWindowOfClass(cls);
                if (!w) return;
                w->DeliverTimer(timer);
            }
        };
        return;
    }
    if (command == "paint-time") {
        int count = std::clamp(request["count"].asInt(), 1, 1000);
        // With a timer, each repaint comes after one tick of it (what changes, changes first).
        const UINT timer = request.isMember("timer") ? request["timer"].asUInt() : 0;
        Json::Value times(Json::arrayValue);
        for (int i = 0; i < count; ++i) {
            if (timer) window->DeliverTimer(timer);
            times.append(window->RepaintNow());
        }
        (*reply)["times"] = times;
        return;
    }

    std::string name = request["control"].asString();
    CControlUI* control = FindByAddress(window->Tree(), name);
    if (!control) {
        Fail(reply, "the window " + cls + " has no control " + name);
        return;
    }
    if (command == "click") {
        ClickTarget target = FindClickTarget(window->Tree(), *control);
        if (!target.problem.empty()) {
            Fail(reply, name + ": " + target.problem);
            return;
        }
        (*reply)["enabled"] = control->IsEnabled();
        *after = [window, target] { Click(window->Tree(), target); };
        return;
    }
    if (command == "set-text") {
        SetText(*control, request["text"].asString());
        return;
    }
    if (command == "focus") {
        window->Tree().SetFocus(control);
        return;
    }
    if (command == "choose") {
        int index = request["index"].asInt();
        CComboUI* combo = dynamic_cast<CComboUI*>(control);
        if (!combo || index < 0 || index >= combo->GetCount()) {
            Fail(reply, name + " has no item " + std::to_string(index));
            return;
        }
        *after = [control, index] { Choose(*control, index); };
        return;
    }
    Fail(reply, "unknown command " + command);
}

LRESULT CALLBACK ServerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_COPYDATA) return DefWindowProcW(hwnd, msg, wParam, lParam);
    auto* data = reinterpret_cast<COPYDATASTRUCT*>(lParam);
    if (!data || data->dwData != kRequest) return 0;
    Json::Value request;
    Json::Value reply(Json::objectValue);
    After after;
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    const char* text = static_cast<const char*>(data->lpData);
    std::string errors;
    if (!text || !reader->parse(text, text + data->cbData, &request, &errors) || !request.isObject()) {
        Fail(&reply, "the request is not a JSON object");
    } else {
        Execute(request, &reply, &after);
    }
    HWND client = reinterpret_cast<HWND>(static_cast<uintptr_t>(request.get("reply", 0).asUInt64()));
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    writer["emitUTF8"] = true;
    std::string answer = Json::writeString(writer, reply);
    COPYDATASTRUCT out{kReply, static_cast<DWORD>(answer.size()), answer.data()};
    if (client) SendMessageW(client, WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(&out));
    // The caller goes on now; what the request does may take a while (a window it opens runs its own loop).
    ReplyMessage(1);
    if (after) after();
    return 1;
}

}  // namespace

void StartServer() {
    if (g_server) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ServerProc;
    wc.hInstance = Framework::Instance();
    wc.lpszClassName = kServerClass;
    RegisterClassExW(&wc);
    // A hidden top-level window rather than a message-only one: under Wine,
    // message-only windows of a process that started while the desktop was
    // still coming up are not always found by other processes.
    g_server = CreateWindowExW(WS_EX_TOOLWINDOW, kServerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               Framework::Instance(),
                               nullptr);
}

void StopServer() {
    if (g_server) DestroyWindow(g_server);
    g_server = nullptr;
}

bool TimersHeld() { return g_timersHeld; }

void HoldTimers(bool hold) { g_timersHeld = hold; }

}  // namespace uikit::automation
