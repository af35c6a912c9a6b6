// The start-up requests against the local test service, on a simulated
// Windows 10 64-bit machine whose workspace folder is D:\Quenbrook\Data\.
#include "net/service_api.h"

#include "app/test_support/machine_fixture.h"
#include "net/test_support/local_service.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <atomic>
#include <thread>

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
        ASSERT_TRUE(context.Initialise(machine.storage(), machine.system(), files));
        ASSERT_EQ(context.OsTypeCode(), 64);
        options.retryWait = 50ms;
    }

    Endpoint At(uint16_t port) { return {"127.0.0.1", port}; }

    Json::Value Setting() {
        Json::Value root;
        EXPECT_TRUE(Json::Reader().parse(machine.ReadFile("D:\\Quenbrook\\Data\\SETTING.JSON"), root));
        return root;
    }

    // Polls a condition for up to 20 s.
    template <typename F>
    bool Eventually(F condition) {
        for (int i = 0; i < 400; ++i) {
            if (condition()) return true;
            std::this_thread::sleep_for(50ms);
        }
        return condition();
    }

    test::MachineFixture machine{test::MachineJson("one-disk-c-d")};
    CountingFiles files{machine.files()};
    AppContext context;
    QueryOptions options;
};

TEST_F(ServiceApiTest, TheCatalogueIsFailedWhileTheServiceIsDownAndLoadsOnceItIsUp) {
    uint16_t port = test::FreePort();
    CatalogueQuery query(context, At(port), options);
    std::thread run([&] { query.Run(); });
    ASSERT_TRUE(query.WaitForAttempts(3, 10s));
    EXPECT_EQ(context.CatalogueCount(), -1);

    test::LocalService service({}, {}, port);
    ASSERT_TRUE(service.Running());
    run.join();
    ASSERT_TRUE(Eventually([&] { return context.CatalogueCount() > 0; }));
    EXPECT_EQ(context.CatalogueCount(), 6);
    std::vector<CatalogueEntry> entries = context.CatalogueEntries();
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0].name, "Windows 10 64位 专业版");
    EXPECT_EQ(entries[0].url, "http://127.0.0.1:" + std::to_string(port) + "/gen/12582912/win10_x64_pro.wim");
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
    query.Run();
    ASSERT_TRUE(Eventually([&] { return context.CatalogueCount() > 0; }));
    std::vector<std::string> log = service.LogLines("syslist");
    ASSERT_EQ(log.size(), 3u);
    EXPECT_NE(log[0].find("\"query\": \"utm_source=2001\""), std::string::npos) << log[0];
    for (int i : {1, 2}) EXPECT_NE(log[i].find("\"query\": \"\""), std::string::npos) << log[i];
}

TEST_F(ServiceApiTest, ACatalogueThatDoesNotParseIsFailedWithoutRetry) {
    for (const char* kind : {"empty_list", "json", "types"}) {
        test::LocalService service({std::string("syslist.broken=") + kind});
        AppContext fresh;
        ASSERT_TRUE(fresh.Initialise(machine.storage(), machine.system(), files));
        CatalogueQuery query(fresh, At(service.port()), options);
        query.Run();
        ASSERT_TRUE(query.WaitForAttempts(1, 10s)) << kind;
        std::this_thread::sleep_for(300ms);  // six retry periods
        EXPECT_EQ(fresh.CatalogueCount(), -1) << kind;
        EXPECT_EQ(service.LogLines("syslist").size(), 1u) << kind << ": the service answered, no retry";
    }
}

TEST_F(ServiceApiTest, ThePackageUrlGoesIntoSettingJson) {
    context.SetPackageUrl("http://old.example/pe.wim");  // as an earlier run left it
    test::LocalService service({"getpe.pe_url=http://pe.example/TessalyPE 2.wim"});
    PackageQuery query(context, At(service.port()), options);
    query.Run();
    ASSERT_TRUE(query.WaitForAttempts(1, 10s));
    EXPECT_EQ(context.PackageUrl(), "http://pe.example/TessalyPE 2.wim") << "stored as it is";
    EXPECT_EQ(Setting()["LocalPeUrl"].asString(), "http://pe.example/TessalyPE 2.wim");
    EXPECT_NE(service.LogLines("getpe")[0].find("\"query\": \"utm_source=2001\""), std::string::npos);
}

TEST_F(ServiceApiTest, ThePackageUrlIsEmptiedOnceWhileTheServiceIsDown) {
    context.SetPackageUrl("http://old.example/pe.wim");
    int writesBefore = files.settingWrites;
    uint16_t port = test::FreePort();
    PackageQuery query(context, At(port), options);
    std::thread run([&] { query.Run(); });
    ASSERT_TRUE(query.WaitForAttempts(5, 10s));
    EXPECT_EQ(context.PackageUrl(), "");
    EXPECT_EQ(Setting()["LocalPeUrl"].asString(), "");
    EXPECT_EQ(files.settingWrites - writesBefore, 1) << "SETTING.JSON is rewritten when the value changes only";

    test::LocalService service({}, {}, port);
    run.join();
    ASSERT_TRUE(Eventually([&] { return query.Answers() == 1; }));
    EXPECT_EQ(Setting()["LocalPeUrl"].asString(), "http://127.0.0.1:" + std::to_string(port) + "/gen/3145728/TessalyPE.wim");
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
        ASSERT_TRUE(fresh.Initialise(machine.storage(), machine.system(), files));
        UpdateCheck check(fresh, At(service.port()));
        bool after = false;
        check.Run([&] { after = true; });
        EXPECT_TRUE(after);
        ASSERT_TRUE(check.WaitForAnswer(10s)) << c.setting;
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
    check.Run([&] { after = true; });
    EXPECT_TRUE(after);
    EXPECT_TRUE(check.WaitForAnswer(1s));
    EXPECT_EQ(context.UpdateState(), 0);
}

}  // namespace
}  // namespace qnb::net
