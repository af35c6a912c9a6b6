#include "net/service_api.h"

#include "net/service_answers.h"
#include "platform/text.h"

#include <cstdio>

namespace qnb::net {

Fetched FetchOnce(HttpClient& client, const Endpoint& endpoint, const std::string& path,
                  const std::string& parameters, const StopToken& stop) {
    // The callbacks come on the client's dispatcher thread; they may come
    // even after this function has given up on them, so what they write is
    // shared with them.
    struct Exchange {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        bool answered = false;
        std::string body;
    };
    auto exchange = std::make_shared<Exchange>();
    auto finish = [exchange](bool answered, std::string body) {
        std::lock_guard<std::mutex> lock(exchange->mutex);
        if (exchange->finished) return;
        exchange->finished = true;
        exchange->answered = answered;
        exchange->body = std::move(body);
        exchange->done.notify_all();
    };
    const std::string where = endpoint.host + ":" + std::to_string(endpoint.port);
    Fetched fetched;
    if (!client.Init(
            endpoint.host, endpoint.port, [finish](const char* data, size_t length) { finish(true, {data, length}); },
            [finish](int) { finish(false, {}); })) {
        fetched.failure = {"resolve", endpoint.host, static_cast<uint32_t>(LastSocketError())};
        client.Close();
        return fetched;
    }
    if (!client.Connect()) {
        fetched.failure = {"connect", where, static_cast<uint32_t>(LastSocketError())};
        client.Close();
        return fetched;
    }
    fetched.stage = Fetched::kFailed;
    if (client.Request(path, endpoint.host, parameters) == 0) {
        // Nothing was sent, so no answer will come.
        fetched.failure = {"build the request", where + path, 0};
        client.Close();
        return fetched;
    }
    {
        StopCallback onStop(stop, [exchange] {
            std::lock_guard<std::mutex> lock(exchange->mutex);
            exchange->done.notify_all();
        });
        std::unique_lock<std::mutex> lock(exchange->mutex);
        exchange->done.wait(lock, [&] { return exchange->finished || stop.StopRequested(); });
        if (exchange->finished && exchange->answered) {
            fetched.stage = Fetched::kAnswered;
            fetched.body = std::move(exchange->body);
        } else if (!exchange->finished) {
            fetched.stage = Fetched::kStopped;
        }
    }
    client.Close();
    if (fetched.stage == Fetched::kFailed) {
        fetched.failure = {std::string("answer: ") + HttpResponseParser::Describe(client.LastFailure()), where + path,
                           0};
    }
    return fetched;
}

RetryingQuery::RetryingQuery(Endpoint api, std::string path, QueryOptions options)
    : api_(std::move(api)), path_(std::move(path)), options_(options), client_(options.client) {}

Status RetryingQuery::Run(JobControl& control) {
    char first[256];
    std::snprintf(first, sizeof first, "%s?utm_source=%d", path_.c_str(), kTrafficSource);
    bool requested = false;  // the first request carries the traffic source, the later ones not
    for (;;) {
        if (!control.SleepFor(options_.retryWait)) return Status::Ok();
        Fetched fetched = FetchOnce(client_, api_, requested ? path_ : std::string(first), {}, control.stopToken());
        if (fetched.stage == Fetched::kStopped) return Status::Ok();
        requested |= fetched.stage != Fetched::kNotConnected;
        const bool answered = fetched.stage == Fetched::kAnswered;
        if (answered) {
            Answered(fetched.body);
        } else {
            Failed();
        }
        progress_.Update([&](QueryProgress& p) {
            ++p.attempts;
            if (answered) ++p.answers;
            if (!answered) p.lastFailure = fetched.failure;
        });
        control.NotifyProgress();
        if (answered) return Status::Ok();
        if (!options_.retry) return fetched.failure;
    }
}

CatalogueQuery::CatalogueQuery(AppContext& context, Endpoint api, QueryOptions options)
    : RetryingQuery(std::move(api), kCataloguePath, options), context_(context) {}

CatalogueQuery::~CatalogueQuery() = default;

void CatalogueQuery::Answered(std::string_view body) {
    std::optional<Catalogue> catalogue = ParseCatalogue(body, context_.OsTypeCode());
    if (!catalogue) {
        context_.SetCatalogueFailed();
        return;
    }
    context_.SetCatalogue(std::move(catalogue->entries), std::move(catalogue->groups));
}

void CatalogueQuery::Failed() { context_.SetCatalogueFailed(); }

PackageQuery::PackageQuery(AppContext& context, Endpoint api, QueryOptions options)
    : RetryingQuery(std::move(api), kPackagePath, options), context_(context) {}

PackageQuery::~PackageQuery() = default;

void PackageQuery::Answered(std::string_view body) {
    // An answer that is no address to download from is treated as none: the
    // package URL becomes "", and the flows say the package is missing.
    Store(PackageUrlFromAnswer(body));
}

void PackageQuery::Failed() { Store(""); }

void PackageQuery::Store(const std::string& url) {
    // Calls come one after another (the connect loop, then the callbacks).
    if (stored_ && url == last_) return;
    context_.SetPackageUrl(url);
    stored_ = true;
    last_ = url;
}

void QueryLog::ProgressChanged() {
    QueryProgress progress = query_.Progress();
    std::lock_guard<std::mutex> lock(mutex_);
    if (progress.answers > 0) {
        log_.Write(area_, "answered after " + std::to_string(progress.attempts) + " attempts");
        return;
    }
    std::string failure = progress.lastFailure ? progress.lastFailure->Describe() : std::string("failed");
    if (failure != lastFailure_ || progress.attempts % 100 == 0) {
        log_.Write(area_, "attempt " + std::to_string(progress.attempts) + " failed: " + failure);
        lastFailure_ = failure;
    }
}

void QueryLog::Finished(const Status& outcome) {
    if (!outcome.ok()) log_.Failed(area_, outcome.failure());
}

UpdateCheck::UpdateCheck(AppContext& context, Endpoint api, HttpClient::Options options)
    : context_(context), api_(std::move(api)), client_(options) {}

UpdateCheck::~UpdateCheck() { client_.Shutdown(); }

Status UpdateCheck::Run(JobControl& control, const std::function<void()>& afterRequest) {
    const std::string where = api_.host + ":" + std::to_string(api_.port);
    std::optional<Failure> failure;
    if (!client_.Init(
            api_.host, api_.port,
            [this](const char* data, size_t length) { Take(std::string_view(data, length), true); },
            [this](int) { Take({}, false); })) {
        failure = Failure{"resolve", api_.host, static_cast<uint32_t>(LastSocketError())};
    } else if (!client_.Connect()) {
        failure = Failure{"connect", where, static_cast<uint32_t>(LastSocketError())};
    } else if (client_.Request(kUpdatePath, api_.host, std::string("ver=") + kClientVersion) <= 0) {
        failure = Failure{"send", where + kUpdatePath, static_cast<uint32_t>(LastSocketError())};
    }
    // No answer will come when no request went out: the update state stays as it is.
    if (failure) client_.Close();
    if (afterRequest) afterRequest();
    if (failure) return *failure;

    StopCallback onStop(control.stopToken(), [this] {
        std::lock_guard<std::mutex> lock(mutex_);
        changed_.notify_all();
    });
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return done_ || control.StopRequested(); });
    if (done_ && !answered_) {
        return Failure{std::string("answer: ") + HttpResponseParser::Describe(client_.LastFailure()),
                       where + kUpdatePath, 0};
    }
    return Status::Ok();
}

void UpdateCheck::Take(std::string_view body, bool answered) {
    UpdateInfo info;
    switch (ParseUpdate(body, &info)) {
    case UpdateAnswer::kEmpty: break;
    case UpdateAnswer::kUnparsable: context_.SetUpdateUnparsable(); break;
    case UpdateAnswer::kAnswered: context_.SetUpdateAnswer(std::move(info)); break;
    }
    client_.Close();
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
    answered_ = answered;
    changed_.notify_all();
}

}  // namespace qnb::net
