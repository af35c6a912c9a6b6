// A small HTTP/1.1 client on TCP sockets for the service's answers: one GET
// per connection ("Connection: Close"). A receive thread reads and parses
// the answer; a dispatcher thread hands the body, or the failure, to the
// caller's callbacks. A client object is reused for retries: close, init,
// connect, request again.
#pragma once

#include "net/http_response_parser.h"
#include "net/socket.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace qnb::net {

class HttpClient {
public:
    // The body of a "200" answer, exactly as sent; data[length] is a zero byte.
    using DataCallback = std::function<void(const char* data, size_t length)>;
    // A failed request; the code is always 0.
    using ErrorCallback = std::function<void(int code)>;

    static constexpr int kHttpMode = 3;       // the only receive mode: HTTP answers
    static constexpr size_t kQueueLimit = 100;  // body messages beyond this are dropped

    struct Options {
        // A receive that hears nothing for this long fails the request (0: wait for ever).
        int idleTimeoutMs = 30000;
        HttpResponseParser::Limits limits;
    };

    HttpClient() : HttpClient(Options{}) {}
    explicit HttpClient(Options options);
    // Closes the client and waits for its dispatcher threads to end (their
    // callbacks must return); never call it from a callback of this client.
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Starts the sockets library, resolves the host (the first IPv4 address)
    // and keeps port, callbacks and mode. False when either step fails.
    bool Init(const std::string& host, uint16_t port, DataCallback onData, ErrorCallback onError,
              int mode = kHttpMode);
    // Connects and starts the receive and dispatcher threads. False (and no
    // thread) when the connection fails or the mode is not HTTP.
    bool Connect();
    // Sends a GET (post is not supported and yields 0). Returns the bytes
    // sent, -1 on a socket error (the answer then ends in a failure), 0 for
    // an empty or unsafe request (see BuildGetRequest).
    int Request(const std::string& path, const std::string& host, const std::string& parameters = {},
                bool post = false);
    // Ends the connection: lets the dispatcher go without waiting and waits
    // up to 5 s for the receive thread. Callable from the callbacks.
    void Close();

    // Closes the client and waits until no callback of it runs any more.
    // Never call it from a callback of this client.
    void Shutdown();

    // A connection is open (connected and not closed yet).
    bool Connected() const;
    // Why the last answer failed (for diagnostics).
    HttpResponseParser::Failure LastFailure() const;

private:
    struct Connection;
    void ReceiveLoop(std::shared_ptr<Connection> c);
    void DispatchLoop(std::shared_ptr<Connection> c);
    // Closes the client when `c` is still its connection (the dispatcher's own ending).
    void CloseIfCurrent(const std::shared_ptr<Connection>& c);
    void CloseConnection(const std::shared_ptr<Connection>& c);

    const Options options_;
    mutable std::mutex mutex_;
    uint32_t address_ = 0;
    uint16_t port_ = 80;
    int mode_ = 0;
    DataCallback onData_;
    ErrorCallback onError_;
    std::shared_ptr<Connection> connection_;
    HttpResponseParser::Failure lastFailure_ = HttpResponseParser::Failure::kNone;

    // Dispatcher threads still running; the destructor waits for them.
    std::condition_variable dispatchersDone_;
    int dispatchers_ = 0;
};

}  // namespace qnb::net
