#include "uikit/win32/automation_client.h"

#include "platform/text.h"
#include "uikit/win32/automation_server.h"

namespace uikit::automation {

namespace {

std::string* g_reply = nullptr;

LRESULT CALLBACK ClientProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA) {
        auto* data = reinterpret_cast<COPYDATASTRUCT*>(lParam);
        if (data && data->dwData == kReply && g_reply) {
            g_reply->assign(static_cast<const char*>(data->lpData), data->cbData);
            return 1;
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND ClientWindow() {
    static HWND client = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = ClientProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QnbUiAutomationClient";
        RegisterClassExW(&wc);
        return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }();
    return client;
}

std::string WindowText(HWND hwnd) {
    // WM_GETTEXT also reaches the controls of other programs.
    wchar_t buffer[2048];
    LRESULT n = SendMessageW(hwnd, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buffer));
    return qnb::text::Narrow(std::wstring_view(buffer, n > 0 ? static_cast<size_t>(n) : 0));
}

std::string ClassOf(HWND hwnd) {
    wchar_t buffer[256];
    int n = GetClassNameW(hwnd, buffer, 256);
    return qnb::text::Narrow(std::wstring_view(buffer, n > 0 ? n : 0));
}

std::vector<HWND> Dialogs() {
    std::vector<HWND> found;
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            if (ClassOf(hwnd) == "#32770") reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace

Json::Value MessageBoxes() {
    Json::Value boxes(Json::arrayValue);
    for (HWND dialog : Dialogs()) {
        Json::Value j(Json::objectValue);
        j["title"] = WindowText(dialog);
        j["visible"] = IsWindowVisible(dialog) != FALSE;
        RECT rc;
        GetWindowRect(dialog, &rc);
        j["rect"] = Json::Value(Json::arrayValue);
        for (LONG v : {rc.left, rc.top, rc.right, rc.bottom}) j["rect"].append(static_cast<int>(v));
        DWORD pid = 0;
        GetWindowThreadProcessId(dialog, &pid);
        j["pid"] = static_cast<Json::UInt>(pid);
        std::string text;
        Json::Value buttons(Json::arrayValue);
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            std::string cls = ClassOf(child);
            if (cls == "Static") {
                std::string t = WindowText(child);
                if (!t.empty()) text += (text.empty() ? "" : "\n") + t;
            } else if (cls == "Button" && IsWindowVisible(child)) {
                Json::Value b(Json::objectValue);
                b["id"] = GetDlgCtrlID(child);
                b["text"] = WindowText(child);
                buttons.append(b);
            }
        }
        j["text"] = text;
        j["buttons"] = buttons;
        boxes.append(j);
    }
    return boxes;
}

bool AnswerMessageBox(const std::string& title, int button, std::string* error) {
    for (HWND dialog : Dialogs()) {
        if (!IsWindowVisible(dialog) || WindowText(dialog) != title) continue;
        HWND control = GetDlgItem(dialog, button);
        if (!control) {
            *error = "the message box \"" + title + "\" has no such button";
            return false;
        }
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(control));
        return true;
    }
    *error = "no message box \"" + title + "\"";
    return false;
}

std::vector<HWND> Servers() {
    std::vector<HWND> servers;
    for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, kServerClass, nullptr)) != nullptr;) servers.push_back(h);
    return servers;
}

bool Call(HWND server, const Json::Value& request, Json::Value* reply, std::string* error, unsigned timeoutMs) {
    HWND client = ClientWindow();
    if (!client) {
        *error = "cannot make the reply window";
        return false;
    }
    Json::Value full = request;
    full["reply"] = static_cast<Json::UInt64>(reinterpret_cast<uintptr_t>(client));
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    writer["emitUTF8"] = true;
    std::string text = Json::writeString(writer, full);
    COPYDATASTRUCT data{kRequest, static_cast<DWORD>(text.size()), text.data()};
    std::string answer;
    g_reply = &answer;
    DWORD_PTR result = 0;
    // The answer arrives as a message sent to the client window while this call waits.
    LRESULT sent = SendMessageTimeoutW(server, WM_COPYDATA, reinterpret_cast<WPARAM>(client),
                                       reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, timeoutMs, &result);
    g_reply = nullptr;
    if (!sent) {
        *error = "the program did not answer";
        return false;
    }
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    if (answer.empty() || !reader->parse(answer.data(), answer.data() + answer.size(), reply, &errors)) {
        *error = "the answer is not JSON";
        return false;
    }
    return true;
}

}  // namespace uikit::automation
