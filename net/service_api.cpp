#include "net/service_api.h"

#include "net/service_answers.h"
#include "platform/detached_thread.h"
#include "platform/text.h"

#include <cstdio>

namespace qnb::net {

RetryingQuery::RetryingQuery(Endpoint api, std::string path, QueryOptions options)
    : api_(std::move(api)), path_(std::move(path)), options_(options), client_(options.client) {}

RetryingQuery::~RetryingQuery() { Stop(); }

void RetryingQuery::Run() {
    if (!ConnectUntilDone()) return;
    char first[256];
    std::snprintf(first, sizeof first, "%s?utm_source=%d", path_.c_str(), kTrafficSource);
    client_.Request(first, api_.host);
}

void RetryingQuery::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
    }
    changed_.notify_all();
    client_.Shutdown();
}

bool RetryingQuery::ConnectUntilDone() {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (changed_.wait_for(lock, options_.retryWait, [this] { return stopped_; })) return false;
        }
        bool connected = client_.Init(
                             api_.host, api_.port, [this](const char* data, size_t length) { OnData(data, length); },
                             [this](int code) { OnError(code); }) &&
                         client_.Connect();
        if (connected) return true;
        Failed();
        client_.Close();
        Count(false);
        if (!options_.retry) return false;
    }
}

void RetryingQuery::OnData(const char* data, size_t length) {
    Answered(std::string_view(data, length));
    client_.Close();
    Count(true);
}

void RetryingQuery::OnError(int) {
    Failed();
    client_.Close();
    Count(false);
    if (!options_.retry || !ConnectUntilDone()) return;
    client_.Request(path_, api_.host);
}

void RetryingQuery::Count(bool answered) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++attempts_;
        if (answered) ++answers_;
    }
    changed_.notify_all();
}

bool RetryingQuery::WaitForAttempts(int count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return attempts_ >= count; });
}

int RetryingQuery::Answers() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return answers_;
}

CatalogueQuery::CatalogueQuery(AppContext& context, Endpoint api, QueryOptions options)
    : RetryingQuery(std::move(api), kCataloguePath, options), context_(context) {}

CatalogueQuery::~CatalogueQuery() { Stop(); }

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

PackageQuery::~PackageQuery() { Stop(); }

void PackageQuery::Answered(std::string_view body) { Store(text::Utf16ToUtf8(text::Utf8ToUtf16(body))); }

void PackageQuery::Failed() { Store(""); }

void PackageQuery::Store(const std::string& url) {
    // Calls come one after another (the connect loop, then the callbacks).
    if (stored_ && url == last_) return;
    context_.SetPackageUrl(url);
    stored_ = true;
    last_ = url;
}

UpdateCheck::UpdateCheck(AppContext& context, Endpoint api, HttpClient::Options options)
    : context_(context), api_(std::move(api)), client_(options) {}

UpdateCheck::~UpdateCheck() { client_.Shutdown(); }

void UpdateCheck::Run(const std::function<void()>& afterRequest) {
    bool sent = client_.Init(
                    api_.host, api_.port,
                    [this](const char* data, size_t length) { Take(std::string_view(data, length)); },
                    [this](int) { Take({}); }) &&
                client_.Connect() && client_.Request(kUpdatePath, api_.host, std::string("ver=") + kClientVersion) > 0;
    if (!sent) {
        // No answer will come: the update state stays as it is.
        std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
        changed_.notify_all();
    }
    if (afterRequest) afterRequest();
}

void UpdateCheck::Take(std::string_view body) {
    UpdateInfo info;
    switch (ParseUpdate(body, &info)) {
    case UpdateAnswer::kEmpty: break;
    case UpdateAnswer::kUnparsable: context_.SetUpdateUnparsable(); break;
    case UpdateAnswer::kAnswered: context_.SetUpdateAnswer(std::move(info)); break;
    }
    client_.Close();
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
    changed_.notify_all();
}

bool UpdateCheck::WaitForAnswer(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return done_; });
}

void StartCatalogueThread(AppContext& context, Endpoint api) {
    auto* query = new CatalogueQuery(context, std::move(api));  // lives as long as the process
    StartDetachedThread([query] { query->Run(); });
}

void StartPackageThread(AppContext& context, Endpoint api) {
    auto* query = new PackageQuery(context, std::move(api));
    StartDetachedThread([query] { query->Run(); });
}

void StartUpdateThread(AppContext& context, Endpoint api, std::function<void()> afterRequest) {
    auto* check = new UpdateCheck(context, std::move(api));
    StartDetachedThread([check, afterRequest = std::move(afterRequest)] { check->Run(afterRequest); });
}

}  // namespace qnb::net
