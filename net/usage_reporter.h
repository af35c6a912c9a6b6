// The program's usage reporter: given the report host and the machine's
// address once at start-up, it sends each report on a short thread of its
// own. Nothing is retried or shown; a report never changes the program's state.
#pragma once

#include "app/app_context.h"
#include "net/endpoints.h"
#include "net/http_client.h"
#include "net/usage_report.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace qnb::net {

class UsageReporter {
public:
    // Where the Windows facts come from (nothing when the reading fails).
    using FactsReader = std::function<std::optional<WindowsReportFacts>()>;

    // The facts reader and the context (for the chosen catalogue entry of
    // the reinstall report); before SetHost.
    void Attach(FactsReader facts, AppContext* context);
    // The report host and the machine's address as GetMacAddress gives it.
    void SetHost(Endpoint host, const std::string& macAddress);
    // Sends one report on a new thread; returns at once.
    void Report(ReportKind kind);
    // Waits until no report is under way (tests and qnbdiag).
    bool WaitIdle(std::chrono::milliseconds timeout);

    HttpClient::Options clientOptions;  // tests shorten the idle time

private:
    void Send(ReportKind kind);

    std::mutex mutex_;
    FactsReader readFacts_;
    AppContext* context_ = nullptr;
    Endpoint host_;
    std::string mac_ = "NULL";
    ReportFacts facts_;
    std::string soft_;  // reported with the reinstall; nothing sets it
    int running_ = 0;
    std::condition_variable idle_;
};

// The program's reporter. It is never destroyed: report threads may still
// run while the process ends.
extern UsageReporter& g_usageReporter;

}  // namespace qnb::net
