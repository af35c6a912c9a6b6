// HTTP and HTTPS through WinHTTP: the system's proxy settings and
// certificate store, redirects followed, keep-alive connections reused.
#pragma once

#include "engine/transport.h"

namespace qnb::engine {

class WinHttpTransport : public Transport {
public:
    WinHttpTransport();
    ~WinHttpTransport() override;
    WinHttpTransport(const WinHttpTransport&) = delete;
    WinHttpTransport& operator=(const WinHttpTransport&) = delete;

    bool Ready() const { return session_ != nullptr; }
    std::unique_ptr<HttpStream> Open(const HttpRequest& request, EngineError* error) override;

private:
    void* session_ = nullptr;  // HINTERNET
};

}  // namespace qnb::engine
