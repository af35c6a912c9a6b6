#include "engine/socket_transport_win32.h"

#include "engine/http_head.h"
#include "platform/scope_exit.h"
#include "platform/win32/handles.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace qnb::engine {

namespace {

constexpr DWORD kSocketTimeoutMs = 20000;  // as WinHTTP's receive timeout

struct PlainUrl {
    std::string host;
    std::string port = "80";
    std::string path = "/";
};

// http://host[:port][/path]; nothing for anything else (https, user info, IPv6 literals).
std::optional<PlainUrl> ParsePlainUrl(const std::string& url) {
    constexpr std::string_view kScheme = "http://";
    if (url.compare(0, kScheme.size(), kScheme) != 0) return std::nullopt;
    std::string rest = url.substr(kScheme.size());
    size_t slash = rest.find_first_of("/?#");
    std::string authority = rest.substr(0, slash);
    PlainUrl u;
    if (slash != std::string::npos) u.path = rest.substr(slash);
    if (!u.path.empty() && u.path[0] != '/') u.path = "/" + u.path;
    size_t hash = u.path.find('#');
    if (hash != std::string::npos) u.path.erase(hash);
    if (authority.empty() || authority.find_first_of("@[]") != std::string::npos) return std::nullopt;
    size_t colon = authority.find(':');
    u.host = authority.substr(0, colon);
    if (colon != std::string::npos) {
        u.port = authority.substr(colon + 1);
        if (u.port.empty() || u.port.size() > 5 || u.port.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
    }
    // Only what can go on the request line unchanged.
    for (char c : u.path) {
        if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F) return std::nullopt;
    }
    return u;
}

class SocketStream : public HttpStream {
public:
    SocketStream(win32::UniqueSocket s, HttpAnswer answer, std::string early, uint64_t length)
        : socket_(std::move(s)), answer_(std::move(answer)), early_(std::move(early)), left_(length) {}
    const HttpAnswer& Answer() const override { return answer_; }
    int64_t Read(void* buffer, size_t size) override {
        if (left_ == 0) return 0;
        size_t want = static_cast<size_t>(std::min<uint64_t>({size, left_, 1u << 30}));
        if (at_ < early_.size()) {
            size_t n = std::min(want, early_.size() - at_);
            std::memcpy(buffer, early_.data() + at_, n);
            at_ += n;
            left_ -= n;
            return static_cast<int64_t>(n);
        }
        int n = recv(socket_.get(), static_cast<char*>(buffer), static_cast<int>(want), 0);
        if (n <= 0) return n == 0 ? 0 : -1;  // closed early or broken: the caller sees the body short
        left_ -= static_cast<uint64_t>(n);
        return n;
    }

private:
    win32::UniqueSocket socket_;
    HttpAnswer answer_;
    std::string early_;  // body bytes that came with the head
    size_t at_ = 0;
    uint64_t left_;
};

}  // namespace

bool SystemSendsDirect(const std::string& url) {
    bool autoDetect = false;
    std::wstring configUrl;
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG ie{};
    bool named = false;
    if (WinHttpGetIEProxyConfigForCurrentUser(&ie)) {
        ScopeExit freeIe([&ie] {
            for (LPWSTR s : {ie.lpszProxy, ie.lpszProxyBypass, ie.lpszAutoConfigUrl}) {
                if (s) GlobalFree(s);
            }
        });
        autoDetect = ie.fAutoDetect != FALSE;
        if (ie.lpszAutoConfigUrl) configUrl = ie.lpszAutoConfigUrl;
        named = ie.lpszProxy != nullptr;
    }
    WINHTTP_PROXY_INFO info{};
    if (WinHttpGetDefaultProxyConfiguration(&info)) {
        ScopeExit freeInfo([&info] {
            for (LPWSTR s : {info.lpszProxy, info.lpszProxyBypass}) {
                if (s) GlobalFree(s);
            }
        });
        named = named || info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY || info.lpszProxy;
    }
    if (named) return false;
    if (!autoDetect && configUrl.empty()) return true;

    // Automatic configuration: ask it about this URL. No script found means
    // no proxy; any other failure leaves the request to WinHTTP.
    win32::UniqueInternetHandle session(WinHttpOpen(L"QNBDownload/1.0", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                                    WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return false;
    WINHTTP_AUTOPROXY_OPTIONS options{};
    if (autoDetect) {
        options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    if (!configUrl.empty()) {
        options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = configUrl.c_str();
    }
    options.fAutoLogonIfChallenged = TRUE;
    std::u16string wide(url.begin(), url.end());  // http:// URLs sent over sockets are ASCII
    WINHTTP_PROXY_INFO found{};
    bool direct = false;
    if (WinHttpGetProxyForUrl(session.get(), reinterpret_cast<const wchar_t*>(wide.c_str()), &options, &found)) {
        direct = found.dwAccessType == WINHTTP_ACCESS_TYPE_NO_PROXY || !found.lpszProxy;
        for (LPWSTR s : {found.lpszProxy, found.lpszProxyBypass}) {
            if (s) GlobalFree(s);
        }
    } else {
        direct = GetLastError() == ERROR_WINHTTP_AUTODETECTION_FAILED;
    }
    return direct;
}

SocketTransport::SocketTransport() {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

SocketTransport::~SocketTransport() {
    if (started_) WSACleanup();
}

std::unique_ptr<HttpStream> SocketTransport::Open(const HttpRequest& request, EngineError* error, bool* handOver,
                                                  std::string* location) {
    *handOver = false;
    location->clear();
    auto url = ParsePlainUrl(request.url);
    if (!started_ || !url) {
        *handOver = true;
        return nullptr;
    }
    *error = kErrorConnect;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (getaddrinfo(url->host.c_str(), url->port.c_str(), &hints, &found) != 0 || !found) return nullptr;
    win32::UniqueSocket s;
    for (addrinfo* a = found; a; a = a->ai_next) {
        s.reset(socket(a->ai_family, a->ai_socktype, a->ai_protocol));
        if (!s) continue;
        if (connect(s.get(), a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0) break;
        s.reset();
    }
    freeaddrinfo(found);
    if (!s) return nullptr;
    DWORD timeout = kSocketTimeoutMs;
    setsockopt(s.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    setsockopt(s.get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);

    std::string host = url->port == "80" ? url->host : url->host + ":" + url->port;
    std::string head = "GET " + url->path + " HTTP/1.1\r\nHost: " + host +
                       "\r\nUser-Agent: QNBDownload/1.0\r\nAccept: */*\r\nConnection: close\r\n";
    if (request.ranged) {
        head += "Range: " + RangeHeader(request) + "\r\n";
        // A validator with a line break would let the server's answer be forged by its own text.
        if (!request.ifRange.empty() && request.ifRange.find_first_of("\r\n") == std::string::npos)
            head += "If-Range: " + request.ifRange + "\r\n";
    }
    head += "\r\n";
    *error = kErrorTransfer;
    for (size_t sent = 0; sent < head.size();) {
        int n = send(s.get(), head.data() + sent, static_cast<int>(head.size() - sent), 0);
        if (n <= 0) return nullptr;
        sent += static_cast<size_t>(n);
    }

    std::string received;
    HttpHead parsed;
    char chunk[16384];
    for (;;) {
        HeadParse state = ParseHttpHead(received, &parsed);
        if (state == HeadParse::kComplete) break;
        if (state == HeadParse::kMalformed) {
            *error = kErrorProtocol;
            return nullptr;
        }
        int n = recv(s.get(), chunk, sizeof chunk, 0);
        if (n <= 0) return nullptr;
        received.append(chunk, static_cast<size_t>(n));
    }
    // Redirects, and bodies whose end is not given by a length, are WinHTTP's.
    bool sized = parsed.contentLength.has_value() && !parsed.chunked;
    bool bodyless = parsed.status >= 400 || parsed.status == 416;
    if ((parsed.status >= 300 && parsed.status < 400) || (!sized && !bodyless)) {
        *handOver = true;
        if (parsed.status >= 300 && parsed.status < 400) {
            // An absolute address, or a path on the same server.
            *location = parsed.location;
            if (!location->empty() && (*location)[0] == '/')
                *location = "http://" + host + *location;
        }
        return nullptr;
    }
    HttpAnswer answer;
    answer.status = parsed.status;
    answer.contentLength = parsed.contentLength;
    answer.contentRange = parsed.contentRange;
    answer.etag = parsed.etag;
    answer.lastModified = parsed.lastModified;
    answer.finalUrl = request.url;
    std::string early = received.substr(parsed.size);
    uint64_t length = parsed.contentLength.value_or(0);
    if (early.size() > length) early.resize(static_cast<size_t>(length));
    *error = kErrorNone;
    return std::make_unique<SocketStream>(std::move(s), std::move(answer), std::move(early), length);
}

bool SystemTransport::Direct(const std::string& url) {
    auto parsed = ParsePlainUrl(url);
    if (!parsed) return false;
    std::string key = parsed->host + ":" + parsed->port;
    std::lock_guard lock(mutex_);
    auto it = directHosts_.find(key);
    if (it == directHosts_.end()) it = directHosts_.emplace(key, SystemSendsDirect(url)).first;
    return it->second;
}

std::unique_ptr<HttpStream> SystemTransport::Open(const HttpRequest& request, EngineError* error) {
    HttpRequest hop = request;
    for (int redirects = 0; redirects <= 5 && Direct(hop.url); ++redirects) {
        bool handOver = false;
        std::string location;
        auto stream = sockets_.Open(hop, error, &handOver, &location);
        if (!handOver) return stream;
        if (location.empty()) {
            // A server whose answers this transport leaves to WinHTTP: the rest go there at once.
            auto parsed = ParsePlainUrl(hop.url);
            std::lock_guard lock(mutex_);
            if (parsed) directHosts_[parsed->host + ":" + parsed->port] = false;
            break;
        }
        if (location.find_first_of("\r\n") != std::string::npos) break;
        hop.url = location;
    }
    return winhttp_.Open(hop, error);
}

}  // namespace qnb::engine
