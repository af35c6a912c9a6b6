// The program's usage reporter: given the report host and the machine's
// address once at start-up, it sends each report as a short job of its own.
// Nothing is retried or shown; a report never changes the program's state.
#pragma once

#include "app/app_context.h"
#include "jobs/job.h"
#include "net/endpoints.h"
#include "net/http_client.h"
#include "net/usage_report.h"

#include <functional>
#include <list>
#include <memory>
#include <mutex>

namespace qnb::net {

class UsageReporter {
public:
    // Where the Windows facts come from (nothing when the reading fails).
    using FactsReader = std::function<std::optional<WindowsReportFacts>()>;

    // listener, when given, hears each report's end (a failure when it could not be sent).
    explicit UsageReporter(JobListener* listener = nullptr, HttpClient::Options clientOptions = {});
    // Stops the reports under way and waits for them.
    ~UsageReporter();
    UsageReporter(const UsageReporter&) = delete;
    UsageReporter& operator=(const UsageReporter&) = delete;

    // The facts reader and the context (for the chosen catalogue entry of
    // the reinstall report); before SetHost.
    void Attach(FactsReader facts, AppContext* context);
    // The report host and the machine's address as GetMacAddress gives it.
    void SetHost(Endpoint host, const std::string& macAddress);
    // Sends one report as a job of its own; returns at once.
    void Report(ReportKind kind);

private:
    Status Send(ReportKind kind, const StopToken& stop);

    JobListener* const listener_;
    const HttpClient::Options clientOptions_;
    std::mutex mutex_;
    FactsReader readFacts_;
    AppContext* context_ = nullptr;
    Endpoint host_;
    std::string mac_ = "NULL";
    ReportFacts facts_;
    std::list<std::unique_ptr<Job>> reports_;  // under way, and ended ones until the next report
};

}  // namespace qnb::net
