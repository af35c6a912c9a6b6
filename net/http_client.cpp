#include "net/http_client.h"

#include "net/http_request.h"
#include "platform/detached_thread.h"

#include <chrono>
#include <deque>

namespace qnb::net {

namespace {

enum class MessageKind { kBody, kEnd, kFailure };

struct Message {
    MessageKind kind;
    std::string body;
};

constexpr size_t kReceiveBuffer = 4096;
constexpr auto kReceiveWait = std::chrono::milliseconds(5000);

}  // namespace

// One connection's state, shared by the client and the two threads. Close
// shuts the socket down at once; it is closed when the last of them lets go.
struct HttpClient::Connection {
    SocketHandle socket = kNoSocket;
    DataCallback onData;
    ErrorCallback onError;

    std::mutex lock;
    std::condition_variable queued;
    std::deque<Message> queue;
    bool receiveDone = false;
    std::condition_variable receiveEnded;
    HttpResponseParser::Failure failure = HttpResponseParser::Failure::kNone;

    ~Connection() { CloseSocket(socket); }
};

HttpClient::HttpClient(Options options) : options_(options) {}

HttpClient::~HttpClient() { Shutdown(); }

void HttpClient::Shutdown() {
    Close();
    std::unique_lock<std::mutex> lock(mutex_);
    dispatchersDone_.wait(lock, [this] { return dispatchers_ == 0; });
}

bool HttpClient::Init(const std::string& host, uint16_t port, DataCallback onData, ErrorCallback onError, int mode) {
    if (!StartSockets()) return false;
    std::optional<uint32_t> address = ResolveIpv4(host);
    if (!address) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    address_ = *address;
    port_ = port;
    onData_ = std::move(onData);
    onError_ = std::move(onError);
    mode_ = mode;
    return true;
}

bool HttpClient::Connect() {
    Close();  // a connection that was not closed ends here
    uint32_t address;
    uint16_t port;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (mode_ != kHttpMode || address_ == 0) return false;
        address = address_;
        port = port_;
    }
    SocketHandle socket = ConnectTcp(address, port, options_.idleTimeoutMs);
    if (socket == kNoSocket) return false;

    auto c = std::make_shared<Connection>();
    c->socket = socket;
    std::lock_guard<std::mutex> lock(mutex_);
    c->onData = onData_;
    c->onError = onError_;
    connection_ = c;
    HttpResponseParser::Limits limits = options_.limits;
    bool receiving = StartDetachedThread([c, limits] {
        HttpResponseParser parser(limits);
        char buffer[kReceiveBuffer + 1];
        while (parser.state() == HttpResponseParser::State::kNeedMore) {
            long n = Receive(c->socket, buffer, kReceiveBuffer);
            if (n <= 0) {
                parser.Finish();
                break;
            }
            parser.Feed(buffer, static_cast<size_t>(n));
        }
        {
            std::lock_guard<std::mutex> guard(c->lock);
            if (parser.state() == HttpResponseParser::State::kComplete) {
                if (c->queue.size() < kQueueLimit) c->queue.push_back({MessageKind::kBody, parser.TakeBody()});
                c->queue.push_back({MessageKind::kEnd, {}});
            } else {
                c->failure = parser.failure();
                c->queue.push_back({MessageKind::kFailure, {}});
            }
            c->receiveDone = true;
        }
        c->queued.notify_all();
        c->receiveEnded.notify_all();
    });
    if (!receiving) {
        connection_.reset();  // the last reference: the socket is closed with it
        return false;
    }
    ++dispatchers_;
    if (!StartDetachedThread([this, c] { DispatchLoop(c); })) {
        --dispatchers_;
        ShutdownSocket(c->socket);  // the receive thread ends and releases the connection
        connection_.reset();
        return false;
    }
    return true;
}

void HttpClient::DispatchLoop(std::shared_ptr<Connection> c) {
    for (;;) {
        Message message;
        {
            std::unique_lock<std::mutex> lock(c->lock);
            c->queued.wait(lock, [&] { return !c->queue.empty(); });
            message = std::move(c->queue.front());
            c->queue.pop_front();
        }
        if (message.kind == MessageKind::kFailure) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                lastFailure_ = c->failure;
            }
            if (c->onError) c->onError(0);
            break;
        }
        if (message.kind == MessageKind::kEnd) {
            if (!c->onError) CloseIfCurrent(c);
            break;
        }
        if (!c->onData) {
            CloseIfCurrent(c);
            break;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            lastFailure_ = HttpResponseParser::Failure::kNone;
        }
        c->onData(message.body.data(), message.body.size());
    }
    c.reset();
    std::lock_guard<std::mutex> lock(mutex_);
    --dispatchers_;
    dispatchersDone_.notify_all();
}

int HttpClient::Request(const std::string& path, const std::string& host, const std::string& parameters, bool post) {
    std::shared_ptr<Connection> c;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (mode_ != kHttpMode) return 0;
        c = connection_;
    }
    std::string text = post ? std::string() : BuildGetRequest(path, host, parameters);
    if (text.empty()) return 0;
    if (!c) return -1;
    long sent = SendAll(c->socket, text.data(), text.size());
    if (sent < 0) {
        // The receive thread then ends with a failure.
        ShutdownSocket(c->socket);
        return -1;
    }
    return static_cast<int>(sent);
}

void HttpClient::Close() {
    std::shared_ptr<Connection> c;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        c = std::move(connection_);
    }
    if (c) CloseConnection(c);
}

void HttpClient::CloseIfCurrent(const std::shared_ptr<Connection>& c) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (connection_ != c) return;
        connection_.reset();
    }
    CloseConnection(c);
}

void HttpClient::CloseConnection(const std::shared_ptr<Connection>& c) {
    // The dispatcher is counted in dispatchers_ (it may be this very thread);
    // the receive thread holds its own reference to the connection and ends
    // once the socket is shut down. It is given a moment to do so.
    ShutdownSocket(c->socket);
    std::unique_lock<std::mutex> lock(c->lock);
    c->receiveEnded.wait_for(lock, kReceiveWait, [&] { return c->receiveDone; });
}

bool HttpClient::Connected() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return connection_ != nullptr;
}

HttpResponseParser::Failure HttpClient::LastFailure() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastFailure_;
}

}  // namespace qnb::net
