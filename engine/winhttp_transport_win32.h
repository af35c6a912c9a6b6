// HTTP and HTTPS through WinHTTP: the system's proxy settings and
// certificate store, redirects followed, keep-alive connections reused.
#pragma once

#include "engine/transport.h"
#include "platform/win32/handles.h"

namespace qnb::engine {

class WinHttpTransport : public Transport {
public:
    WinHttpTransport();
    WinHttpTransport(const WinHttpTransport&) = delete;
    WinHttpTransport& operator=(const WinHttpTransport&) = delete;

    bool Ready() const { return static_cast<bool>(session_); }
    std::unique_ptr<HttpStream> Open(const HttpRequest& request, EngineError* error) override;

private:
    win32::UniqueInternetHandle session_;
};

}  // namespace qnb::engine
