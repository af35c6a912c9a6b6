// The client on real loopback sockets against the local test service.
#include "net/http_client.h"

#include "net/test_support/local_service.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>

namespace qnb::net {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    bool connected = false;
    int sent = 0;
    int dataCalls = 0;
    std::string body;
    int errorCalls = 0;
    int code = -1;
    HttpResponseParser::Failure failure = HttpResponseParser::Failure::kNone;
};

// One GET as the program's callers make it: the callbacks close the client.
Outcome Fetch(uint16_t port, const std::string& path, HttpClient::Options options = {}) {
    Outcome out;
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    {
        HttpClient client(options);
        auto finish = [&] {
            client.Close();
            std::lock_guard<std::mutex> lock(m);
            done = true;
            cv.notify_all();
        };
        EXPECT_TRUE(client.Init(
            "127.0.0.1", port,
            [&](const char* data, size_t length) {
                ++out.dataCalls;
                out.body.assign(data, length);
                EXPECT_EQ(data[length], '\0');
                finish();
            },
            [&](int code) {
                ++out.errorCalls;
                out.code = code;
                finish();
            }));
        out.connected = client.Connect();
        if (!out.connected) return out;
        out.sent = client.Request(path, "127.0.0.1");
        std::unique_lock<std::mutex> lock(m);
        EXPECT_TRUE(cv.wait_for(lock, std::chrono::seconds(60), [&] { return done; })) << path;
        lock.unlock();
        out.failure = client.LastFailure();
    }  // the client waits for its dispatcher: no callback comes later
    return out;
}

class HttpClientTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new fs::path(fs::temp_directory_path() / ("qnb-http-" + std::to_string(::getpid())));
        fs::create_directories(*folder_);
        std::mt19937 random(7);
        for (auto [name, size] : {std::pair{"large.bin", 300000}, std::pair{"small.txt", 300}}) {
            std::string bytes(size, '\0');
            for (char& c : bytes) c = static_cast<char>(random());
            std::ofstream(*folder_ / name, std::ios::binary) << bytes;
            (name == std::string("large.bin") ? large_ : small_) = new std::string(bytes);
        }
        service_ = new test::LocalService({}, folder_->string());
        ASSERT_TRUE(service_->Running());
    }
    static void TearDownTestSuite() {
        delete service_;
        fs::remove_all(*folder_);
        delete folder_;
        delete large_;
        delete small_;
    }

    static inline fs::path* folder_ = nullptr;
    static inline std::string* large_ = nullptr;
    static inline std::string* small_ = nullptr;
    static inline test::LocalService* service_ = nullptr;
};

TEST_F(HttpClientTest, ABodyWithContentLengthArrivesWholeOnce) {
    Outcome out = Fetch(service_->port(), "/files/large.bin");
    EXPECT_GT(out.sent, 0);
    EXPECT_EQ(out.dataCalls, 1);
    EXPECT_EQ(out.errorCalls, 0);
    EXPECT_TRUE(out.body == *large_) << "body of " << out.body.size() << " bytes differs";
}

TEST_F(HttpClientTest, AnswersCutIntoSmallPacketsArriveWhole) {
    // One, two or three bytes per packet: every cut inside the status line,
    // the header's end, chunk-size lines, their CR LF and the chunk data.
    for (const char* query : {"?chunked=7&split=1&gap_ms=2", "?chunked=7&split=2&gap_ms=2",
                              "?chunked=50&split=3&gap_ms=2", "?split=1&gap_ms=2"}) {
        Outcome out = Fetch(service_->port(), std::string("/files/small.txt") + query);
        EXPECT_EQ(out.dataCalls, 1) << query;
        EXPECT_TRUE(out.body == *small_) << query;
    }
}

TEST_F(HttpClientTest, FailuresReachTheErrorCallbackWithCodeZero) {
    using F = HttpResponseParser::Failure;
    struct Case {
        const char* path;
        F failure;
    } cases[] = {
        {"/files/missing.bin", F::kStatus},
        {"/files/large.bin?close_after=1000", F::kClosedEarly},
        {"/files/large.bin?fail=500", F::kStatus},
        {"/files/large.bin?drop=1", F::kClosedEarly},
    };
    for (const Case& c : cases) {
        Outcome out = Fetch(service_->port(), c.path);
        EXPECT_EQ(out.dataCalls, 0) << c.path;
        EXPECT_EQ(out.errorCalls, 1) << c.path;
        EXPECT_EQ(out.code, 0) << c.path;
        EXPECT_EQ(out.failure, c.failure) << c.path << ": " << FailureName(out.failure);
    }
}

TEST_F(HttpClientTest, BrokenAnswersFail) {
    for (const char* kind : {"huge_length", "chunk_size", "no_length", "status", "long_header", "length"}) {
        ASSERT_TRUE(service_->Set(std::string("syslist.broken=") + kind));
        Outcome out = Fetch(service_->port(), "/soft/quenbrook-reinstall/v2/syslist/");
        EXPECT_EQ(out.errorCalls, 1) << kind;
        EXPECT_EQ(out.dataCalls, 0) << kind;
    }
    ASSERT_TRUE(service_->Reset());
}

TEST_F(HttpClientTest, AServerThatFallsSilentFailsAfterTheIdleTime) {
    HttpClient::Options options;
    options.idleTimeoutMs = 300;
    Outcome out = Fetch(service_->port(), "/files/large.bin?stall_after=5000&stall_seconds=30", options);
    EXPECT_EQ(out.errorCalls, 1);
    EXPECT_EQ(out.dataCalls, 0);
}

TEST_F(HttpClientTest, ConnectionAndNameFailuresAreReportedByTheCalls) {
    HttpClient client;
    EXPECT_FALSE(client.Init("no-such-host.invalid", 80, nullptr, nullptr));
    ASSERT_TRUE(client.Init("127.0.0.1", test::FreePort(), nullptr, nullptr));
    EXPECT_FALSE(client.Connect()) << "nothing listens there";
    EXPECT_EQ(client.Request("/a/", "h"), -1) << "no connection";
    ASSERT_TRUE(client.Init("127.0.0.1", service_->port(), nullptr, nullptr, 2));
    EXPECT_FALSE(client.Connect()) << "only the HTTP mode connects";
    EXPECT_EQ(client.Request("/a/", "h"), 0);
}

TEST_F(HttpClientTest, AnErrorCallbackCanRetryOnTheSameClient) {
    ASSERT_TRUE(service_->Set("getpe.fail=503&times=2"));
    HttpClient client;
    std::mutex m;
    std::condition_variable cv;
    std::string body;
    int failures = 0;
    HttpClient::DataCallback onData = [&](const char* data, size_t length) {
        client.Close();
        std::lock_guard<std::mutex> lock(m);
        body.assign(data, length);
        cv.notify_all();
    };
    HttpClient::ErrorCallback onError;
    onError = [&](int) {
        client.Close();
        {
            std::lock_guard<std::mutex> lock(m);
            ++failures;
        }
        ASSERT_TRUE(client.Init("127.0.0.1", service_->port(), onData, onError));
        ASSERT_TRUE(client.Connect());
        client.Request("/soft/quenbrook-reinstall/v2/getpe/", "127.0.0.1");
    };
    ASSERT_TRUE(client.Init("127.0.0.1", service_->port(), onData, onError));
    ASSERT_TRUE(client.Connect());
    ASSERT_GT(client.Request("/soft/quenbrook-reinstall/v2/getpe/", "127.0.0.1"), 0);
    std::unique_lock<std::mutex> lock(m);
    ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(30), [&] { return !body.empty(); }));
    EXPECT_EQ(failures, 2);
    EXPECT_NE(body.find("/TessalyPE.wim"), std::string::npos) << body;
    lock.unlock();
    ASSERT_TRUE(service_->Reset());
}

TEST_F(HttpClientTest, WithoutCallbacksTheClientEndsItsConnectionItself) {
    size_t before = service_->LogLines("report").size();
    HttpClient client;
    ASSERT_TRUE(client.Init("127.0.0.1", service_->port(), nullptr, nullptr));
    ASSERT_TRUE(client.Connect());
    ASSERT_GT(client.Request("/api/soft/quenbrook_reinstall/v2/backupclick/", "127.0.0.1", "mac=NULL"), 0);
    for (int i = 0; i < 200 && client.Connected(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(service_->LogLines("report").size(), before + 1);
}

}  // namespace
}  // namespace qnb::net
