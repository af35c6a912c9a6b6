// The three start-up requests to the service's API host: the image
// catalogue and the preinstallation package address, each retried every
// 500 ms until the service answers, and the update check, asked once. Each
// runs as the work of a job. Their answers go into AppContext, where the
// windows look for them; no window is told.
#pragma once

#include "app/app_context.h"
#include "jobs/job.h"
#include "log/log.h"
#include "net/endpoints.h"
#include "net/http_client.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
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

// What a query has done so far: its job's snapshot.
struct QueryProgress {
    int attempts = 0;  // ended in an answer or a failure
    int answers = 0;
    std::optional<Failure> lastFailure;
};

// How far one GET came.
struct Fetched {
    enum Stage {
        kNotConnected,  // resolving or connecting failed (failure has the socket error code)
        kFailed,        // the request went out; the answer failed
        kAnswered,      // body holds the answer
        kStopped,       // stop was requested while it waited
    };
    Stage stage = kNotConnected;
    std::string body;
    Failure failure;
};

// One GET on a client that is set up afresh (Init, Connect, Request) and
// closed again; waits for the answer or its failure, or for stop.
Fetched FetchOnce(HttpClient& client, const Endpoint& endpoint, const std::string& path,
                  const std::string& parameters, const StopToken& stop);

// A query that is repeated until the service answers: wait, connect (each
// failed connection counts as a failure), send "path?utm_source=2001"; when
// the answer fails, connect again in the same way and send the path alone.
class RetryingQuery {
public:
    RetryingQuery(Endpoint api, std::string path, QueryOptions options);
    virtual ~RetryingQuery() = default;
    RetryingQuery(const RetryingQuery&) = delete;
    RetryingQuery& operator=(const RetryingQuery&) = delete;

    // The job's work. Ends when the service has answered or stop is
    // requested (both Ok), or after the first failure when retries are off
    // (that failure). Each attempt's end is published and told to the
    // job's listener.
    Status Run(JobControl& control);
    QueryProgress Progress() const { return progress_.Get(); }
    HttpResponseParser::Failure LastFailure() const { return client_.LastFailure(); }

protected:
    // Called on the job's thread.
    virtual void Answered(std::string_view body) = 0;
    virtual void Failed() = 0;

private:
    const Endpoint api_;
    const std::string path_;
    const QueryOptions options_;
    HttpClient client_;
    Snapshot<QueryProgress> progress_;
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

// Writes a query's news to the log without flooding it while the service
// stays down: the answer, each new kind of failure with its code, and every
// hundredth attempt that fails the same way.
class QueryLog : public JobListener {
public:
    QueryLog(Log& log, std::string area, const RetryingQuery& query)
        : log_(log), area_(std::move(area)), query_(query) {}
    void ProgressChanged() override;
    void Finished(const Status& outcome) override;

private:
    Log& log_;
    const std::string area_;
    const RetryingQuery& query_;
    std::mutex mutex_;
    std::string lastFailure_;
};

// The update check: one request with ver=20190404; the answer is left in
// AppContext for the main window's prompt as soon as it arrives. The work
// that follows the request on the same job (the copy of the program and
// the desktop shortcut) does not wait for the answer.
class UpdateCheck {
public:
    UpdateCheck(AppContext& context, Endpoint api, HttpClient::Options options = {});
    ~UpdateCheck();
    // The job's work: ends once the answer (or its failure) has been taken
    // and afterRequest has returned, or on stop. Fails when no request went
    // out or no answer came.
    Status Run(JobControl& control, const std::function<void()>& afterRequest = nullptr);

private:
    void Take(std::string_view body, bool answered);
    AppContext& context_;
    const Endpoint api_;
    HttpClient client_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool done_ = false;
    bool answered_ = false;
};

}  // namespace qnb::net
