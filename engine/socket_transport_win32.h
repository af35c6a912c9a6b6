// Plain http:// straight over Winsock, for machines that reach the web
// without a proxy: WinHTTP under Wine reads through a small buffer of its
// own and moves a fraction of what the socket can. Everything else (https,
// a proxy or its automatic detection, redirects, chunked or unsized answers)
// goes through WinHTTP.
#pragma once

#include "engine/transport.h"

#include <map>
#include <mutex>
#include <string>

namespace qnb::engine {

// True when the system's settings send a request for url without a proxy:
// no proxy named for the user or for WinHTTP, and automatic detection or
// configuration (when switched on) finds none for it.
bool SystemSendsDirect(const std::string& url);

class SocketTransport {
public:
    SocketTransport();
    ~SocketTransport();
    SocketTransport(const SocketTransport&) = delete;
    SocketTransport& operator=(const SocketTransport&) = delete;

    // Sends the request for an http:// URL. Sets *handOver (and returns
    // nothing) when the answer is one this transport leaves to WinHTTP; for a
    // redirect, *location is where it points.
    std::unique_ptr<HttpStream> Open(const HttpRequest& request, EngineError* error, bool* handOver,
                                     std::string* location);

private:
    bool started_ = false;
};

// Sockets where they can serve, WinHTTP for the rest. Whether a host is
// reached without a proxy is asked once per host. Redirects between plain
// http:// addresses are followed here (at most five), so that the answer
// names where the file really is.
class SystemTransport : public Transport {
public:
    explicit SystemTransport(Transport& winhttp) : winhttp_(winhttp) {}
    std::unique_ptr<HttpStream> Open(const HttpRequest& request, EngineError* error) override;

private:
    bool Direct(const std::string& url);

    Transport& winhttp_;
    SocketTransport sockets_;
    std::mutex mutex_;
    std::map<std::string, bool> directHosts_;
};

}  // namespace qnb::engine
