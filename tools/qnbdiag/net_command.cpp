// qnbdiag's network commands: the HTTP client, the service API, usage
// reports and the machine's hardware address, each through the real code.
//   http-get URL        the body the client delivered, as it is; exit 1 with the error callback's code
//   catalogue           one catalogue request, parsed: count, entries, groups
//   getpe               one package query: the URL, as stored in SETTING.JSON
//   update              the update check's answer
//   report KIND         one usage report (1-7) to the report host
//   mac                 GetMacAddress, each source, and the adapter inventory (Windows builds)
//   startup-services S  (Windows builds) the program's start-up report and threads, watched for up to S seconds
// The API and report hosts are the build's, or QNB_API_HOST/PORT and
// QNB_REPORT_HOST/PORT; the machine is the one QNB_SIM_MACHINE describes.
#include "app/app_context.h"
#include "jobs/job.h"
#include "net/endpoints.h"
#include "net/service_api.h"
#include "net/usage_reporter.h"
#include "platform/paths.h"
#include "platform/sim/sim_machine.h"
#include "tools/qnbdiag/commands.h"
#include "tools/qnbdiag/json_output.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#ifdef _WIN32
#include "program/startup_win32.h"
#include "inspect/mac_address_win32.h"
#include "net/report_facts_win32.h"
#include "net/self_install_win32.h"
#include "platform/text.h"
#endif

namespace qnb::diag {

namespace {

using namespace std::chrono_literals;

// The context on the configured machine, when there is one; otherwise an
// uninitialised context (OS type code 0, nothing saved).
struct Session {
    Session() {
        std::string error;
        machine = sim::OpenMachineFromEnvironment(&error);
        if (machine) context.Initialise(machine->storage(), machine->system(), machine->files(), machine->folderSecurity());
    }
    std::unique_ptr<Machine> machine;
    AppContext context;
};

// Runs work as a job and waits for its end.
Status RunJob(const char* name, Job::Work work) {
    Job job(name);
    job.Start(std::move(work));
    job.Join();
    return job.Outcome().value_or(Status::Ok());
}

void PrintFailure(const Status& status) {
    if (!status.ok()) std::fprintf(stderr, "%s\n", status.failure().Describe().c_str());
}

Json::Value EntryJson(const CatalogueEntry& e) {
    Json::Value j(Json::objectValue);
    j["index"] = e.index;
    j["url"] = e.url;
    j["name"] = e.name;
    j["des"] = e.des;
    j["size"] = Json::Int64(e.size);
    j["date"] = Json::Int64(e.date);
    j["imagetype"] = e.imagetype;
    j["brecommend"] = e.brecommend;
    j["selected"] = e.selected;
    j["groupid"] = e.groupid;
    return j;
}

Json::Value CatalogueJson(const AppContext& context) {
    Json::Value j(Json::objectValue);
    j["count"] = context.CatalogueCount();
    j["entries"] = Json::Value(Json::arrayValue);
    for (const CatalogueEntry& e : context.CatalogueEntries()) j["entries"].append(EntryJson(e));
    j["groups"] = Json::Value(Json::arrayValue);
    for (const CatalogueGroup& g : context.CatalogueGroups()) {
        Json::Value group(Json::objectValue);
        group["id"] = g.id;
        group["name"] = g.name;
        j["groups"].append(group);
    }
    return j;
}

Json::Value UpdateJson(const AppContext& context) {
    UpdateInfo u = context.Update();
    Json::Value j(Json::objectValue);
    j["state"] = context.UpdateState();
    j["status"] = u.status;
    j["must"] = u.must;
    j["description"] = u.description;
    j["url"] = u.url;
    j["vername"] = u.vername;
    return j;
}

// "http://host[:port]/path?query"
bool SplitUrl(const std::string& url, std::string* host, uint16_t* port, std::string* path) {
    const std::string scheme = "http://";
    if (url.compare(0, scheme.size(), scheme) != 0) return false;
    size_t slash = url.find('/', scheme.size());
    std::string authority = url.substr(scheme.size(), slash == std::string::npos ? std::string::npos : slash - scheme.size());
    *path = slash == std::string::npos ? "/" : url.substr(slash);
    size_t colon = authority.rfind(':');
    *port = 80;
    if (colon != std::string::npos) {
        long p = std::strtol(authority.c_str() + colon + 1, nullptr, 10);
        if (p <= 0 || p > 65535) return false;
        *port = static_cast<uint16_t>(p);
        authority.resize(colon);
    }
    *host = authority;
    return !host->empty();
}

int HttpGet(const Arguments& args) {
    std::string host, path;
    uint16_t port;
    if (args.size() != 1 || !SplitUrl(args[0], &host, &port, &path)) {
        PrintError("usage: http-get http://HOST[:PORT]/PATH");
        return 2;
    }
    net::HttpClient client;
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    std::string body;
    int code = -1;
    auto finish = [&] {
        client.Close();
        std::lock_guard<std::mutex> lock(m);
        done = true;
        cv.notify_all();
    };
    if (!client.Init(
            host, port,
            [&](const char* data, size_t length) {
                body.assign(data, length);
                finish();
            },
            [&](int c) {
                code = c;
                finish();
            })) {
        PrintError("cannot resolve " + host);
        return 1;
    }
    if (!client.Connect()) {
        PrintError("cannot connect to " + host + ":" + std::to_string(port));
        return 1;
    }
    if (client.Request(path, host) <= 0) {
        PrintError("the request could not be sent");
        return 1;
    }
    {
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [&] { return done; });
    }
    if (code >= 0) {
        PrintError("error " + std::to_string(code) + ": " + net::FailureName(client.LastFailure()));
        return 1;
    }
    std::fwrite(body.data(), 1, body.size(), stdout);
    std::fflush(stdout);
    return 0;
}

// A service query made once, as the start-up threads make it, without the retries.
net::QueryOptions OneAttempt() {
    net::QueryOptions options;
    options.retry = false;
    options.retryWait = 0ms;
    return options;
}

void RunOnce(net::RetryingQuery& query) {
    PrintFailure(RunJob("service query", [&](JobControl& control) { return query.Run(control); }));
}

int Catalogue(const Arguments& args) {
    if (!args.empty()) return PrintError("catalogue takes no arguments"), 2;
    Session session;
    net::CatalogueQuery query(session.context, net::ApiEndpoint(), OneAttempt());
    RunOnce(query);
    PrintJson(CatalogueJson(session.context));
    return session.context.CatalogueCount() > 0 ? 0 : 1;
}

int GetPe(const Arguments& args) {
    if (!args.empty()) return PrintError("getpe takes no arguments"), 2;
    Session session;
    net::PackageQuery query(session.context, net::ApiEndpoint(), OneAttempt());
    RunOnce(query);
    const bool answered = query.Progress().answers > 0;
    Json::Value j(Json::objectValue);
    j["url"] = session.context.PackageUrl();
    j["answered"] = answered;
    j["local_pe_url"] = session.context.Handoff().localPeUrl;
    PrintJson(j);
    return answered ? 0 : 1;
}

int Update(const Arguments& args) {
    if (!args.empty()) return PrintError("update takes no arguments"), 2;
    Session session;
    net::UpdateCheck check(session.context, net::ApiEndpoint());
    PrintFailure(RunJob("update check", [&](JobControl& control) { return check.Run(control); }));
    PrintJson(UpdateJson(session.context));
    return session.context.UpdateState() != 0 ? 0 : 1;
}

int Report(const Arguments& args) {
    int kind = args.size() == 1 ? std::atoi(args[0].c_str()) : 0;
    if (kind < 1 || kind > 7) return PrintError("usage: report KIND (1 to 7)"), 2;
    Session session;
    // Hears the report's end.
    struct Ended : JobListener {
        void Finished(const Status& status) override {
            std::lock_guard<std::mutex> lock(mutex);
            outcome = status;
            done.notify_all();
        }
        std::mutex mutex;
        std::condition_variable done;
        std::optional<Status> outcome;
    } ended;
    net::UsageReporter reporter(&ended);
#ifdef _WIN32
    reporter.Attach(net::win32::ReadReportFacts, &session.context);
    std::string mac = inspect::win32::GetMacAddress();
#else
    reporter.Attach(nullptr, &session.context);
    std::string mac;
#endif
    reporter.SetHost(net::ReportEndpoint(), mac);
    reporter.Report(static_cast<net::ReportKind>(kind));
    {
        std::unique_lock<std::mutex> lock(ended.mutex);
        ended.done.wait(lock, [&] { return ended.outcome.has_value(); });
    }
    PrintFailure(*ended.outcome);
    Json::Value j(Json::objectValue);
    j["path"] = net::ReportPath(static_cast<net::ReportKind>(kind));
    j["mac"] = net::MacForReports(mac);
    PrintJson(j);
    return ended.outcome->ok() ? 0 : 1;
}

#ifdef _WIN32
int Mac(const Arguments& args) {
    if (!args.empty()) return PrintError("mac takes no arguments"), 2;
    Json::Value j(Json::objectValue);
    j["mac"] = inspect::win32::GetMacAddress();
    Json::Value sources(Json::arrayValue);
    for (auto source : {inspect::win32::FixedAdapterInfoSource, inspect::win32::NetbiosSource,
                        inspect::win32::InventorySource, inspect::win32::SnmpSource,
                        inspect::win32::FixedAdapterAddressesSource}) {
        std::string text;
        source(text);
        sources.append(text);
    }
    j["sources"] = sources;
    Json::Value inventory(Json::arrayValue);
    for (const inspect::stNetPcInfo& r : inspect::win32::AdapterInventory()) {
        Json::Value a(Json::objectValue);
        a["ip"] = r.ip;
        a["mac"] = r.mac;
        a["mask"] = r.mask;
        a["gateway"] = r.gateway;
        a["description"] = r.description;
        a["index"] = r.index;
        a["name"] = r.name;
        a["type"] = r.type;
        inventory.append(a);
    }
    j["inventory"] = inventory;
    PrintJson(j);
    return 0;
}

int StartupServices(const Arguments& args) {
    int seconds = args.size() == 1 ? std::atoi(args[0].c_str()) : 0;
    if (seconds <= 0) return PrintError("usage: startup-services SECONDS"), 2;
    std::string error;
    std::unique_ptr<Machine> machine = sim::OpenMachineFromEnvironment(&error);
    if (!machine) return PrintError(error), 1;
    win32::Win32StartupHost host(std::move(machine));
    host.InitialiseContext();
    host.SendStartupReport();
    host.StartBackgroundThreads();
    AppContext& context = host.context();

    // Watch what the threads leave in the context, as the windows would.
    std::string workspace = context.WorkspacePath();
    std::string shortcut = paths::Join(net::win32::DesktopFolder(), std::string(net::win32::kShortcutName) + ".lnk");
    bool sawFailed = false;
    auto exists = [](const std::string& path) { return GetFileAttributesW(text::Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; };
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        sawFailed |= context.CatalogueCount() == -1;
        bool complete = context.CatalogueCount() > 0 && !context.PackageUrl().empty() &&
                        (workspace.empty() || (exists(workspace + net::win32::kProgramFileName) && exists(shortcut)));
        if (complete || std::chrono::steady_clock::now() > deadline) break;
        std::this_thread::sleep_for(50ms);
    }
    // The update check is asked once: while the service was down it gets no answer.
    for (int i = 0; i < 100 && context.UpdateState() == 0; ++i) std::this_thread::sleep_for(50ms);

    Json::Value j(Json::objectValue);
    j["ready"] = context.IsReady();
    j["workspace"] = workspace;
    j["catalogue"] = CatalogueJson(context);
    j["saw_catalogue_failed"] = sawFailed;
    j["package_url"] = context.PackageUrl();
    j["update"] = UpdateJson(context);
    j["program"] = net::win32::ProgramPath();
    j["shortcut"] = shortcut;
    PrintJson(j);
    return 0;
}
#endif

}  // namespace

int RunNet(const std::string& command, const Arguments& args) {
    if (command == "http-get") return HttpGet(args);
    if (command == "catalogue") return Catalogue(args);
    if (command == "getpe") return GetPe(args);
    if (command == "update") return Update(args);
    if (command == "report") return Report(args);
#ifdef _WIN32
    if (command == "mac") return Mac(args);
    if (command == "startup-services") return StartupServices(args);
#else
    if (command == "mac" || command == "startup-services") {
        PrintError(command + " needs a Windows build");
        return 2;
    }
#endif
    return -1;
}

}  // namespace qnb::diag
