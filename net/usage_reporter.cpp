#include "net/usage_reporter.h"

#include "platform/detached_thread.h"

namespace qnb::net {

UsageReporter& g_usageReporter = *new UsageReporter;

void UsageReporter::Attach(FactsReader facts, AppContext* context) {
    std::lock_guard<std::mutex> lock(mutex_);
    readFacts_ = std::move(facts);
    context_ = context;
}

void UsageReporter::SetHost(Endpoint host, const std::string& macAddress) {
    std::lock_guard<std::mutex> lock(mutex_);
    mac_ = MacForReports(macAddress);
    host_ = std::move(host);
}

void UsageReporter::Report(ReportKind kind) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++running_;
    }
    bool started = StartDetachedThread([this, kind] {
        Send(kind);
        std::lock_guard<std::mutex> lock(mutex_);
        --running_;
        idle_.notify_all();
    });
    if (!started) {  // a report is never more than a try
        std::lock_guard<std::mutex> lock(mutex_);
        --running_;
        idle_.notify_all();
    }
}

bool UsageReporter::WaitIdle(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return idle_.wait_for(lock, timeout, [this] { return running_ == 0; });
}

void UsageReporter::Send(ReportKind kind) {
    Endpoint host;
    std::string query;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (RefreshesFacts(kind) && readFacts_) {
            if (std::optional<WindowsReportFacts> reading = readFacts_()) RefreshFacts(facts_, *reading);
        }
        int32_t sys = 0;
        if (kind == ReportKind::kReinstallDone && context_ && !context_->Handoff().localImage) {
            sys = context_->SelectedEntry().index;
        }
        query = ReportQuery(kind, facts_, mac_, sys, soft_);
        host = host_;
    }
    if (host.host.empty()) return;

    // Each report has a client of its own, so that two reports under way
    // never share a connection; the thread waits for the answer (or its
    // failure) and lets the client go.
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    HttpClient client(clientOptions);
    auto finish = [&] {
        client.Close();
        std::lock_guard<std::mutex> lock(m);
        done = true;
        cv.notify_all();
    };
    if (!client.Init(host.host, host.port, [&](const char*, size_t) { finish(); }, [&](int) { finish(); }) ||
        !client.Connect() || client.Request(ReportPath(kind), host.host, query) <= 0) {
        return;
    }
    std::unique_lock<std::mutex> lock(m);
    cv.wait(lock, [&] { return done; });
}

}  // namespace qnb::net
