#include "engine/winhttp_transport_win32.h"

#include "platform/scope_exit.h"
#include "platform/text.h"
#include "platform/win32/handles.h"

#include <windows.h>
#include <winhttp.h>

#include <vector>

namespace qnb::engine {

namespace {

constexpr wchar_t kUserAgent[] = L"QNBDownload/1.0";
// Resolve, connect, send, receive: a server silent this long has failed.
constexpr int kResolveTimeout = 15000;
constexpr int kConnectTimeout = 15000;
constexpr int kSendTimeout = 15000;
constexpr int kReceiveTimeout = 20000;

std::wstring QueryText(HINTERNET request, DWORD what) {
    DWORD bytes = 0;
    WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &bytes,
                        WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return {};
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
    if (!WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, buffer.data(), &bytes,
                             WINHTTP_NO_HEADER_INDEX))
        return {};
    return std::wstring(buffer.data(), bytes / sizeof(wchar_t));
}

EngineError ErrorOf(DWORD code) {
    switch (code) {
    case ERROR_WINHTTP_CANNOT_CONNECT:
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
    case ERROR_WINHTTP_TIMEOUT:
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_CONNECTION_ERROR:
        return kErrorConnect;
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
    case ERROR_WINHTTP_INVALID_URL:
        return kErrorUrl;
    default:
        return kErrorTransfer;
    }
}

class WinHttpStream : public HttpStream {
public:
    WinHttpStream(win32::UniqueInternetHandle connect, win32::UniqueInternetHandle request, HttpAnswer answer)
        : connect_(std::move(connect)), request_(std::move(request)), answer_(std::move(answer)) {}
    const HttpAnswer& Answer() const override { return answer_; }
    int64_t Read(void* buffer, size_t size) override {
        DWORD read = 0;
        DWORD want = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        if (!WinHttpReadData(request_.get(), buffer, want, &read)) return -1;
        return read;
    }

private:
    // The request goes before its connection (members end in reverse order).
    win32::UniqueInternetHandle connect_;
    win32::UniqueInternetHandle request_;
    HttpAnswer answer_;
};

}  // namespace

WinHttpTransport::WinHttpTransport() {
    // The user's proxy as Internet Options has it; otherwise the system's
    // (WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY from Windows 8.1, which also
    // follows automatic configuration), else the WinHTTP default.
    HINTERNET session = nullptr;
    {
        WINHTTP_CURRENT_USER_IE_PROXY_CONFIG ie{};
        ScopeExit freeIe([&ie] {
            for (LPWSTR s : {ie.lpszProxy, ie.lpszProxyBypass, ie.lpszAutoConfigUrl}) {
                if (s) GlobalFree(s);
            }
        });
        if (WinHttpGetIEProxyConfigForCurrentUser(&ie) && ie.lpszProxy) {
            session = WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, ie.lpszProxy,
                                  ie.lpszProxyBypass ? ie.lpszProxyBypass : WINHTTP_NO_PROXY_BYPASS, 0);
        }
    }
    constexpr DWORD kAutomaticProxy = 4;  // WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY
    if (!session) session = WinHttpOpen(kUserAgent, kAutomaticProxy, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session) {
        session = WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                              WINHTTP_NO_PROXY_BYPASS, 0);
    }
    if (session) WinHttpSetTimeouts(session, kResolveTimeout, kConnectTimeout, kSendTimeout, kReceiveTimeout);
    session_.reset(session);
}

std::unique_ptr<HttpStream> WinHttpTransport::Open(const HttpRequest& request, EngineError* error) {
    *error = kErrorConnect;
    if (!Ready()) return nullptr;
    // WinHttpCrackUrl counts a fragment as part of the path's extra text.
    std::wstring url = text::Wide(WithoutFragment(request.url));
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
        *error = kErrorUrl;
        return nullptr;
    }
    std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";

    win32::UniqueInternetHandle connect(WinHttpConnect(session_.get(), host.c_str(), parts.nPort, 0));
    if (!connect) {
        *error = ErrorOf(GetLastError());
        return nullptr;
    }
    DWORD flags = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    win32::UniqueInternetHandle req(WinHttpOpenRequest(connect.get(), L"GET", path.c_str(), nullptr,
                                                       WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
    if (!req) {
        *error = ErrorOf(GetLastError());
        return nullptr;
    }
    std::wstring headers;
    if (request.ranged) headers += L"Range: " + text::Wide(RangeHeader(request)) + L"\r\n";
    if (request.ranged && !request.ifRange.empty()) headers += L"If-Range: " + text::Wide(request.ifRange) + L"\r\n";
    if (!headers.empty()) {
        WinHttpAddRequestHeaders(req.get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                                 WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
    }
    if (!WinHttpSendRequest(req.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(req.get(), nullptr)) {
        *error = ErrorOf(GetLastError());
        return nullptr;
    }

    HttpAnswer answer;
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!WinHttpQueryHeaders(req.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
        *error = kErrorProtocol;
        return nullptr;
    }
    answer.status = static_cast<int>(status);
    std::wstring length = QueryText(req.get(), WINHTTP_QUERY_CONTENT_LENGTH);
    if (!length.empty()) answer.contentLength = ParseContentLength(text::Narrow(length));
    answer.contentRange = text::Narrow(QueryText(req.get(), WINHTTP_QUERY_CONTENT_RANGE));
    answer.etag = text::Narrow(QueryText(req.get(), WINHTTP_QUERY_ETAG));
    answer.lastModified = text::Narrow(QueryText(req.get(), WINHTTP_QUERY_LAST_MODIFIED));
    DWORD urlBytes = 0;
    WinHttpQueryOption(req.get(), WINHTTP_OPTION_URL, nullptr, &urlBytes);
    if (urlBytes > 0) {
        std::vector<wchar_t> finalUrl(urlBytes / sizeof(wchar_t) + 1);
        if (WinHttpQueryOption(req.get(), WINHTTP_OPTION_URL, finalUrl.data(), &urlBytes)) {
            answer.finalUrl = text::Narrow(std::wstring(finalUrl.data(), urlBytes / sizeof(wchar_t)));
            while (!answer.finalUrl.empty() && answer.finalUrl.back() == '\0') answer.finalUrl.pop_back();
        }
    }
    *error = kErrorNone;
    return std::make_unique<WinHttpStream>(std::move(connect), std::move(req), std::move(answer));
}

}  // namespace qnb::engine
