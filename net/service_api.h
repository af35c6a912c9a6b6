// The three start-up requests to the service's API host: the image
// catalogue and the preinstallation package address, each retried every
// 500 ms until the service answers, and the update check, asked once. Their
// answers go into AppContext, where the windows look for them; no window is
// told.
#pragma once

#include "app/app_context.h"
#include "net/endpoints.h"
#include "net/http_client.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

namespace qnb::net {

constexpr char kCataloguePath[] = "/soft/quenbrook-reinstall/v2/syslist/";
constexpr char kPackagePath[] = "/soft/quenbrook-reinstall/v2/getpe/";
constexpr char kUpdatePath[] = "/soft/quenbrook-reinstall/v2/update/";
constexpr char kClientVersion[] = "20190404";
constexpr int kTrafficSource = 2001;

struct QueryOptions {
    std::chrono::milliseconds retryWait{500};
    bool retry = true;  // false: one attempt (qnbdiag)
    HttpClient::Options client;
};

// A query that is repeated until the service answers: wait, connect (each
// failed connection counts as a failure), send "path?utm_source=2001"; when
// the answer fails, connect again in the same way and send the path alone.
class RetryingQuery {
public:
    RetryingQuery(Endpoint api, std::string path, QueryOptions options);
    virtual ~RetryingQuery();
    RetryingQuery(const RetryingQuery&) = delete;
    RetryingQuery& operator=(const RetryingQuery&) = delete;

    // The thread body; returns once the first request is out.
    void Run();
    // Ends the retries and waits for the callbacks to return (tests and
    // qnbdiag; the program never stops them). Each derived class calls it
    // from its destructor, while its callbacks can still run.
    void Stop();
    // Waits until `count` attempts have ended in an answer or a failure.
    bool WaitForAttempts(int count, std::chrono::milliseconds timeout);
    int Answers() const;
    HttpResponseParser::Failure LastFailure() const { return client_.LastFailure(); }

protected:
    virtual void Answered(std::string_view body) = 0;
    virtual void Failed() = 0;

private:
    bool ConnectUntilDone();  // false when stopped (or, without retries, after one failure)
    void OnData(const char* data, size_t length);
    void OnError(int code);
    void Count(bool answered);

    const Endpoint api_;
    const std::string path_;
    const QueryOptions options_;
    HttpClient client_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool stopped_ = false;
    int attempts_ = 0;
    int answers_ = 0;
};

// The catalogue: count -1 after each failure, the entries and groups once an
// answer parses (count -1 when it does not: no retry, the service answered).
class CatalogueQuery : public RetryingQuery {
public:
    CatalogueQuery(AppContext& context, Endpoint api, QueryOptions options = {});
    ~CatalogueQuery() override;

protected:
    void Answered(std::string_view body) override;
    void Failed() override;

private:
    AppContext& context_;
};

// The package address: the answer as it is becomes this run's package URL
// and LocalPeUrl in SETTING.JSON; a failure empties both (saved once, not on
// every retry while nothing changes).
class PackageQuery : public RetryingQuery {
public:
    PackageQuery(AppContext& context, Endpoint api, QueryOptions options = {});
    ~PackageQuery() override;

protected:
    void Answered(std::string_view body) override;
    void Failed() override;

private:
    void Store(const std::string& url);
    AppContext& context_;
    bool stored_ = false;
    std::string last_;
};

// The update check: one request with ver=20190404; the answer is left in
// AppContext for the main window's prompt. Then the work that follows it
// on the same thread (the copy of the program and the desktop shortcut).
class UpdateCheck {
public:
    UpdateCheck(AppContext& context, Endpoint api, HttpClient::Options options = {});
    ~UpdateCheck();
    void Run(const std::function<void()>& afterRequest = nullptr);
    // Waits until the answer (or the failure) has been taken.
    bool WaitForAnswer(std::chrono::milliseconds timeout);

private:
    void Take(std::string_view body);
    AppContext& context_;
    const Endpoint api_;
    HttpClient client_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool done_ = false;
};

// The program's threads: each object lives for the whole run and its
// thread is never joined.
void StartCatalogueThread(AppContext& context, Endpoint api);
void StartPackageThread(AppContext& context, Endpoint api);
void StartUpdateThread(AppContext& context, Endpoint api, std::function<void()> afterRequest);

}  // namespace qnb::net
