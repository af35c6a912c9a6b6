#include "net/usage_reporter.h"

#include "net/service_api.h"

namespace qnb::net {

UsageReporter::UsageReporter(JobListener* listener, HttpClient::Options clientOptions)
    : listener_(listener), clientOptions_(clientOptions) {}

UsageReporter::~UsageReporter() {
    std::list<std::unique_ptr<Job>> reports;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        reports.swap(reports_);
    }
    reports.clear();  // each job is stopped and joined
}

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
    std::list<std::unique_ptr<Job>> ended;
    Job* job;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = reports_.begin(); it != reports_.end();) {
            auto next = std::next(it);
            if ((*it)->Finished()) ended.splice(ended.end(), reports_, it);
            it = next;
        }
        reports_.push_back(std::make_unique<Job>("usage report", SystemClock(), listener_));
        job = reports_.back().get();
    }
    // A report is never more than a try: a job that cannot start only tells its listener.
    job->Start([this, kind](JobControl& control) { return Send(kind, control.stopToken()); });
}

Status UsageReporter::Send(ReportKind kind, const StopToken& stop) {
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
        query = ReportQuery(kind, facts_, mac_, sys, "");
        host = host_;
    }
    if (host.host.empty()) return Status::Ok();  // no report host: nothing to send

    // Each report has a client of its own, so that two reports under way
    // never share a connection.
    HttpClient client(clientOptions_);
    Fetched fetched = FetchOnce(client, host, ReportPath(kind), query, stop);
    if (fetched.stage == Fetched::kAnswered || fetched.stage == Fetched::kStopped) return Status::Ok();
    return fetched.failure;
}

}  // namespace qnb::net
