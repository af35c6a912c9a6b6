#include "uikit/win32/automation_client.h"

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

}  // namespace

std::vector<HWND> Servers() {
    std::vector<HWND> servers;
    for (HWND h = nullptr; (h = FindWindowExW(HWND_MESSAGE, h, kServerClass, nullptr)) != nullptr;) servers.push_back(h);
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
