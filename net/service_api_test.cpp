// The start-up requests against the local test service, on a simulated
// Windows 10 64-bit machine whose workspace folder is D:\Quenbrook\Data\.
#include "net/service_api.h"

#include "app/test_support/machine_fixture.h"
#include "jobs/test_support/manual_clock.h"
#include "net/test_support/local_service.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <atomic>
#include <cerrno>

namespace qnb::net {
namespace {

using namespace std::chrono_literals;

// Counts the saves of SETTING.JSON.
class CountingFiles : public HostFileSystem {
public:
    explicit CountingFiles(const HostFileSystem& real) : HostFileSystem(real) {}
    bool writeFile(const std::string& p, std::string_view d) override {
        if (p.find("SETTING.JSON") != std::string::npos) ++settingWrites;
        return HostFileSystem::writeFile(p, d);
    }
    std::atomic<int> settingWrites{0};
};

class ServiceApiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(context.Initialise(machine.storage(), machine.system(), files, machine.folders()));
        ASSERT_EQ(context.OsTypeCode(), 64);
    }

    // Runs a query as the program does, on a job whose clock the test moves.
    void Start(RetryingQuery& query) {
        ASSERT_TRUE(job.Start([&](JobControl& control) { return query.Run(control); }));
        ASSERT_TRUE(clock.WaitForSleepers(1)) << "the query waits before its first attempt";
    }
    // The retry wait goes by: one more attempt, which fails.
    void FailedAttempt() { ASSERT_TRUE(clock.Step(options.retryWait)); }
    // The retry wait goes by: the attempt that ends the query.
    void LastAttempt() {
        clock.Advance(options.retryWait);
        job.Join();
        ASSERT_TRUE(job.Outcome().has_value());
    }

    Endpoint At(uint16_t port) { return {"127.0.0.1", port}; }

    Json::Value Setting() {
        Json::Value root;
        EXPECT_TRUE(Json::Reader().parse(machine.ReadFile("D:\\Quenbrook\\Data\\SETTING.JSON"), root));
        return root;
    }

    test::MachineFixture machine{test::MachineJson("one-disk-c-d")};
    CountingFiles files{machine.files()};
    AppContext context;
    QueryOptions options;
    test::ManualClock clock;
    Job job{"service query", clock};
};

TEST_F(ServiceApiTest, TheCatalogueIsFailedWhileTheServiceIsDownAndLoadsOnceItIsUp) {
    uint16_t port = test::FreePort();
    CatalogueQuery query(context, At(port), options);
    Start(query);
    for (int i = 0; i < 3; ++i) FailedAttempt();
    EXPECT_EQ(context.CatalogueCount(), -1);
    QueryProgress progress = query.Progress();
    EXPECT_EQ(progress.attempts, 3);
    ASSERT_TRUE(progress.lastFailure);
    EXPECT_EQ(progress.lastFailure->what, "connect");
    EXPECT_EQ(progress.lastFailure->code, static_cast<uint32_t>(ECONNREFUSED));

    test::LocalService service({}, {}, port);
    ASSERT_TRUE(service.Running());
    LastAttempt();
    EXPECT_TRUE(job.Outcome()->ok());
    EXPECT_EQ(context.CatalogueCount(), 6);
    std::vector<CatalogueEntry> entries = context.CatalogueEntries();
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0].name, "Windows 10 64位 专业版");
    EXPECT_EQ(entries[0].url, "http://127.0.0.1:" + std::to_string(port) +
                                  "/gen/12582912/win10_x64_pro.wim#sha256="
                                  "6a7fc53077b025c606d9cd2dd562545979d4fcb6e6d90fd9cd6bbf702a936384&size=12582912");
    EXPECT_EQ(entries[0].size, 12582912);
    EXPECT_EQ(context.SelectedEntry().index, 0) << "the recommended Windows 10 64-bit image";
    ASSERT_EQ(context.CatalogueGroups().size(), 3u);
    EXPECT_EQ(context.CatalogueGroups()[2].name, "其他系统");

    std::vector<std::string> log = service.LogLines("syslist");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("\"query\": \"utm_source=2001\""), std::string::npos) << log[0];
    EXPECT_NE(log[0].find("Chrome/56.0.2924.87"), std::string::npos) << log[0];
}

TEST_F(ServiceApiTest, AFailedAnswerIsAskedForAgainWithThePathAlone) {
    test::LocalService service({"syslist.fail=503", "times=2"});
    CatalogueQuery query(context, At(service.port()), options);
    Start(query);
    FailedAttempt();
    FailedAttempt();
    EXPECT_EQ(query.Progress().lastFailure->what, "answer: status");
    LastAttempt();
    EXPECT_GT(context.CatalogueCount(), 0);
    std::vector<std::string> log = service.LogLines("syslist");
    ASSERT_EQ(log.size(), 3u);
    EXPECT_NE(log[0].find("\"query\": \"utm_source=2001\""), std::string::npos) << log[0];
    for (int i : {1, 2}) EXPECT_NE(log[i].find("\"query\": \"\""), std::string::npos) << log[i];
}

TEST_F(ServiceApiTest, ACatalogueThatDoesNotParseIsFailedWithoutRetry) {
    for (const char* kind : {"empty_list", "json", "types"}) {
        test::LocalService service({std::string("syslist.broken=") + kind});
        AppContext fresh;
        ASSERT_TRUE(fresh.Initialise(machine.storage(), machine.system(), files, machine.folders()));
        CatalogueQuery query(fresh, At(service.port()), options);
        Job run("catalogue", clock);
        ASSERT_TRUE(run.Start([&](JobControl& control) { return query.Run(control); }));
        ASSERT_TRUE(clock.WaitForSleepers(1));
        clock.Advance(options.retryWait);
        run.Join();  // the job ends: nothing is left to retry
        EXPECT_EQ(fresh.CatalogueCount(), -1) << kind;
        EXPECT_EQ(service.LogLines("syslist").size(), 1u) << kind << ": the service answered, no retry";
    }
}

TEST_F(ServiceApiTest, ThePackageUrlGoesIntoSettingJson) {
    context.SetPackageUrl("http://old.example/pe.wim");  // as an earlier run left it
    test::LocalService service({"getpe.pe_url=http://pe.example/TessalyPE 2.wim"});
    PackageQuery query(context, At(service.port()), options);
    Start(query);
    LastAttempt();
    EXPECT_EQ(context.PackageUrl(), "http://pe.example/TessalyPE 2.wim") << "stored as it is";
    EXPECT_EQ(Setting()["LocalPeUrl"].asString(), "http://pe.example/TessalyPE 2.wim");
    EXPECT_NE(service.LogLines("getpe")[0].find("\"query\": \"utm_source=2001\""), std::string::npos);
}

TEST_F(ServiceApiTest, ThePackageUrlIsEmptiedOnceWhileTheServiceIsDown) {
    context.SetPackageUrl("http://old.example/pe.wim");
    int writesBefore = files.settingWrites;
    uint16_t port = test::FreePort();
    PackageQuery query(context, At(port), options);
    Start(query);
    for (int i = 0; i < 5; ++i) FailedAttempt();
    EXPECT_EQ(context.PackageUrl(), "");
    EXPECT_EQ(Setting()["LocalPeUrl"].asString(), "");
    EXPECT_EQ(files.settingWrites - writesBefore, 1) << "SETTING.JSON is rewritten when the value changes only";

    test::LocalService service({}, {}, port);
    LastAttempt();
    EXPECT_EQ(query.Progress().answers, 1);
    const std::string stored = Setting()["LocalPeUrl"].asString();
    const std::string address = "http://127.0.0.1:" + std::to_string(port) + "/gen/3145728/TessalyPE.wim#sha256=";
    EXPECT_EQ(stored.substr(0, address.size()), address) << "with the package's hash";
    EXPECT_EQ(stored.size(), address.size() + 64);
}

TEST_F(ServiceApiTest, TheUpdateAnswerIsLeftForTheMainWindow) {
    struct Case {
        const char* setting;
        int state;
        bool status;
        bool must;
        const char* vername;
    } cases[] = {
        {"update=none", 1, false, false, ""},
        {"update=must", 1, true, true, "2.1.0"},
        {"update=newer", 1, true, false, "2.0.1"},
        {"update.broken=json", -1, false, false, ""},
        {"update.fail=500", 0, false, false, ""},
    };
    for (const Case& c : cases) {
        test::LocalService service({c.setting});
        AppContext fresh;
        ASSERT_TRUE(fresh.Initialise(machine.storage(), machine.system(), files, machine.folders()));
        UpdateCheck check(fresh, At(service.port()));
        bool after = false;
        Job run("update check");
        ASSERT_TRUE(run.Start([&](JobControl& control) { return check.Run(control, [&] { after = true; }); }));
        run.Join();  // the answer has been taken
        EXPECT_TRUE(after);
        EXPECT_EQ(run.Outcome()->ok(), c.state != 0) << c.setting;
        EXPECT_EQ(fresh.UpdateState(), c.state) << c.setting;
        UpdateInfo info = fresh.Update();
        EXPECT_EQ(info.status, c.status) << c.setting;
        EXPECT_EQ(info.must, c.must) << c.setting;
        EXPECT_EQ(info.vername, c.vername) << c.setting;
        if (c.status) EXPECT_FALSE(info.description.empty());
        std::vector<std::string> log = service.LogLines("update");
        ASSERT_EQ(log.size(), 1u);
        EXPECT_NE(log[0].find("\"query\": \"ver=20190404\""), std::string::npos) << log[0];
    }
}

TEST_F(ServiceApiTest, AnUnreachableUpdateCheckLeavesNothingAndGoesOn) {
    UpdateCheck check(context, At(test::FreePort()));
    bool after = false;
    Job run("update check");
    ASSERT_TRUE(run.Start([&](JobControl& control) { return check.Run(control, [&] { after = true; }); }));
    run.Join();
    EXPECT_TRUE(after) << "the program's copy and shortcut do not depend on the answer";
    ASSERT_FALSE(run.Outcome()->ok());
    EXPECT_EQ(run.Outcome()->failure().what, "connect");
    EXPECT_EQ(context.UpdateState(), 0);
}

// Keeps what was written.
class LinesLog : public Log {
public:
    void Write(std::string_view area, std::string_view text) override {
        std::lock_guard<std::mutex> lock(mutex);
        lines.push_back(std::string(area) + ": " + std::string(text));
    }
    std::mutex mutex;
    std::vector<std::string> lines;
};

TEST_F(ServiceApiTest, TheLogHearsEachNewFailureOnceAndTheAnswer) {
    uint16_t port = test::FreePort();
    CatalogueQuery query(context, At(port), options);
    LinesLog log;
    QueryLog queryLog(log, "catalogue", query);
    Job logged("catalogue query", clock, &queryLog);
    ASSERT_TRUE(logged.Start([&](JobControl& control) { return query.Run(control); }));
    ASSERT_TRUE(clock.WaitForSleepers(1));
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(clock.Step(options.retryWait));
    test::LocalService service({}, {}, port);
    clock.Advance(options.retryWait);
    logged.Join();
    std::lock_guard<std::mutex> lock(log.mutex);
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "catalogue: attempt 1 failed: connect 127.0.0.1:" + std::to_string(port) + ": error " +
                                 std::to_string(ECONNREFUSED),
                             "catalogue: answered after 5 attempts"}));
}

}  // namespace
}  // namespace qnb::net
