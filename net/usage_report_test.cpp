#include "net/usage_report.h"
#include "net/usage_reporter.h"

#include "app/test_support/machine_fixture.h"
#include "jobs/test_support/job_events.h"
#include "net/test_support/local_service.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace qnb::net {
namespace {

using namespace std::chrono_literals;

ReportFacts Windows7Sp1() {
    ReportFacts f;
    RefreshFacts(f, {6, 1, 7601, 1, 9, "Service Pack 1", 1});
    return f;
}

TEST(ReportQuery, EachKindWithItsFields) {
    ReportFacts f = Windows7Sp1();
    const std::string mac = "001a2b3c4d5e";
    struct Case {
        ReportKind kind;
        const char* path;
        const char* query;
    } cases[] = {
        {ReportKind::kStartup, "/api/soft/quenbrook_reinstall/v2/sysinfo/",
         "mav=6&miv=1&bn=7601&pt=1&pa=9&sp=Service%20Pack%201&mac=001a2b3c4d5e&pi=1&ver=20190404&utm_source=2001"},
        {ReportKind::kBackupDone, "/api/soft/quenbrook_reinstall/v2/backup/",
         "mac=001a2b3c4d5e&ver=20190404&utm_source=2001"},
        {ReportKind::kBackupClick, "/api/soft/quenbrook_reinstall/v2/backupclick/",
         "mac=001a2b3c4d5e&ver=20190404&utm_source=2001"},
        {ReportKind::kRestoreDone, "/api/soft/quenbrook_reinstall/v2/restore/",
         "mac=001a2b3c4d5e&ver=20190404&utm_source=2001"},
        {ReportKind::kRestoreClick, "/api/soft/quenbrook_reinstall/v2/restoreclick/",
         "mac=001a2b3c4d5e&ver=20190404&utm_source=2001"},
        {ReportKind::kReinstallDone, "/api/soft/quenbrook_reinstall/v2/reinstall/",
         "mac=001a2b3c4d5e&sys=3&old_sys=6.1.7601&soft=&ver=20190404&utm_source=2001"},
        {ReportKind::kReinstallClick, "/api/soft/quenbrook_reinstall/v2/reinstallclick/",
         "mac=001a2b3c4d5e&old_sys=6.1.7601&ver=20190404&utm_source=2001"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(ReportPath(c.kind), c.path);
        EXPECT_EQ(ReportQuery(c.kind, f, mac, 3, ""), c.query) << c.path;
    }
}

TEST(ReportQuery, FactsBeforeAnyReadingAndAfterAFailedOne) {
    EXPECT_EQ(ReportQuery(ReportKind::kStartup, ReportFacts{}, "NULL", 0, ""),
              "mav=0&miv=0&bn=0&pt=0&pa=-1&sp=NULL&mac=NULL&pi=0&ver=20190404&utm_source=2001");
}

TEST(ReportFactsRefresh, ServicePackAndProductInfoOnlyWhenGiven) {
    ReportFacts f = Windows7Sp1();
    RefreshFacts(f, {10, 0, 19045, 1, 9, "", 48});
    EXPECT_EQ(f.servicePack, "Service Pack 1") << "an empty text keeps the earlier one";
    EXPECT_EQ(f.productInfo, 48);
    RefreshFacts(f, {5, 1, 2600, 1, 0, "Service Pack 3", 99});
    EXPECT_EQ(f.servicePack, "Service Pack 3");
    EXPECT_EQ(f.productInfo, 48) << "XP has no product info";
    EXPECT_EQ(f.major, 5);
    EXPECT_EQ(f.architecture, 0);
}

TEST(ReportMac, SeparatorsRemovedOrNull) {
    EXPECT_EQ(MacForReports("00-1a-2b-3c-4d-5e"), "001a2b3c4d5e");
    EXPECT_EQ(MacForReports("00-00-00-00-00-00"), "000000000000");
    EXPECT_EQ(MacForReports(""), "NULL");
}

// The reporter against the local test service.
class UsageReporterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(service.Running());
        ASSERT_TRUE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()));
        reporter.Attach([] { return std::optional<WindowsReportFacts>({6, 1, 7601, 1, 9, "Service Pack 1", 1}); },
                        &context);
    }

    std::string LastReportQuery() {
        std::vector<std::string> log = service.LogLines("report");
        if (log.empty()) return {};
        const std::string& line = log.back();
        size_t at = line.find("\"query\": \"") + 10;
        return line.substr(at, line.find('"', at) - at);
    }

    test::LocalService service;
    test::MachineFixture machine{test::MachineJson("one-disk-c-d")};
    AppContext context;
    test::JobEvents sent;
    UsageReporter reporter{&sent};
};

TEST_F(UsageReporterTest, ReportsArriveWithTheirQueries) {
    reporter.SetHost({"127.0.0.1", service.port()}, "00-1A-2B-3C-4D-5E");
    reporter.Report(ReportKind::kStartup);
    ASSERT_TRUE(sent.WaitForFinished(1));
    EXPECT_TRUE(sent.outcomes()[0].ok());
    EXPECT_EQ(LastReportQuery(),
              "mav=6&miv=1&bn=7601&pt=1&pa=9&sp=Service%20Pack%201&mac=001A2B3C4D5E&pi=1&ver=20190404&utm_source=2001");
    std::string line = service.LogLines("report").back();
    EXPECT_NE(line.find("\"sp\": \"Service Pack 1\""), std::string::npos) << "the service reads the text back: " << line;
    EXPECT_NE(line.find("/v2/sysinfo/"), std::string::npos) << line;
}

TEST_F(UsageReporterTest, TheReinstallReportNamesTheChosenImageOrZeroForALocalOne) {
    reporter.SetHost({"127.0.0.1", service.port()}, "");
    std::vector<CatalogueEntry> entries(4);
    for (int i = 0; i < 4; ++i) entries[i].index = i;
    context.SetCatalogue(entries, {});
    ASSERT_TRUE(context.SelectCatalogueEntry(2));
    reporter.Report(ReportKind::kReinstallDone);
    ASSERT_TRUE(sent.WaitForFinished(1));
    EXPECT_EQ(LastReportQuery(), "mac=NULL&sys=2&old_sys=6.1.7601&soft=&ver=20190404&utm_source=2001");

    context.SetLocalImage("E:\\win7.iso");
    reporter.Report(ReportKind::kReinstallDone);
    ASSERT_TRUE(sent.WaitForFinished(2));
    EXPECT_EQ(LastReportQuery(), "mac=NULL&sys=0&old_sys=6.1.7601&soft=&ver=20190404&utm_source=2001");
}

TEST_F(UsageReporterTest, ManyReportsAtOnceAllArrive) {
    reporter.SetHost({"127.0.0.1", service.port()}, "");
    for (int i = 0; i < 5; ++i) {
        reporter.Report(ReportKind::kBackupClick);
        reporter.Report(ReportKind::kBackupDone);
    }
    ASSERT_TRUE(sent.WaitForFinished(10));
    EXPECT_EQ(service.LogLines("report").size(), 10u);
}

TEST_F(UsageReporterTest, AnUnreachableHostFailsQuietlyWithTheSocketError) {
    reporter.SetHost({"127.0.0.1", test::FreePort()}, "");
    reporter.Report(ReportKind::kStartup);
    reporter.Report(ReportKind::kRestoreClick);
    ASSERT_TRUE(sent.WaitForFinished(2));
    for (const Status& s : sent.outcomes()) {
        ASSERT_FALSE(s.ok());
        EXPECT_EQ(s.failure().what, "connect");
        EXPECT_EQ(s.failure().code, static_cast<uint32_t>(ECONNREFUSED));
    }
    reporter.SetHost({"no-such-host.invalid", 80}, "");
    reporter.Report(ReportKind::kBackupClick);
    ASSERT_TRUE(sent.WaitForFinished(3));
    ASSERT_FALSE(sent.outcomes()[2].ok());
    EXPECT_EQ(sent.outcomes()[2].failure().what, "resolve");
    EXPECT_EQ(context.CatalogueCount(), 0) << "a report never changes the program's state";
}

}  // namespace
}  // namespace qnb::net
