// The environment check on simulated machines, with a clock that passes
// every pause at once and writes it down, so that the whole sequence of
// the page's changes can be compared line by line.
#include "inspect/hardware_check.h"

#include "app/test_support/machine_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace qnb::inspect {
namespace {

using test::MachineFixture;
using test::MachineJson;

using Lines = std::vector<std::string>;

// Every pause passes at once; each one is a line of the log.
class PauseLog : public Clock {
public:
    explicit PauseLog(Lines& log) : log_(log) {}
    TimePoint Now() override { return now_; }
    bool SleepUntil(TimePoint deadline, const StopToken& stop) override {
        if (stop.StopRequested()) return false;
        log_.push_back("pause " + std::to_string((deadline - now_).count()));
        now_ = deadline;
        if (++pauses_ == stopAfter) source.RequestStop();
        return !source.StopRequested();
    }
    StopSource source;
    int stopAfter = -1;

private:
    Lines& log_;
    TimePoint now_{0};
    int pauses_ = 0;
};

class SinkLog : public HardwareSink {
public:
    explicit SinkLog(Lines& log) : log_(log) {}
    void Status(const std::string& text) override { log_.push_back("status " + text); }
    void Row(const std::string& key, const std::string& value, bool highlight) override {
        log_.push_back("row " + key + " = " + value + (highlight ? " (highlighted)" : ""));
    }
    void Progress(int percent) override { log_.push_back("progress " + std::to_string(percent)); }

private:
    Lines& log_;
};

struct Check {
    explicit Check(const std::string& json) : machine(json), clock(log), sink(log) {
        sources.initialise = [this] {
            ++initialised;
            context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders());
        };
        sources.processorName = [] { return std::optional<std::string>("  Intel(R) Core(TM) i5-8400 CPU @ 2.80GHz"); };
        sources.memory = [] { return std::optional<MemoryStatus>(MemoryStatus{8ull << 30, 45}); };
    }
    Status Run(std::function<bool()> ready = [] { return true; }) {
        JobControl control(clock, clock.source.Token(), nullptr);
        return RunHardwareCheck(control, ready, context, sources, sink);
    }
    // The rows alone.
    Lines Rows() const {
        Lines rows;
        for (const std::string& line : log) {
            if (line.rfind("row ", 0) == 0) rows.push_back(line.substr(4));
        }
        return rows;
    }
    MachineFixture machine;
    AppContext context;
    Lines log;
    PauseLog clock;
    SinkLog sink;
    HardwareSources sources;
    int initialised = 0;
};

TEST(HardwareCheck, AnMbrMachineWithOneDiskStepByStep) {
    Check check(MachineJson("one-disk-c-d"));
    ASSERT_TRUE(check.Run());
    EXPECT_EQ(check.initialised, 1) << "the context is initialised again by the check";
    EXPECT_EQ(check.log, (Lines{
                             "status 正在初始化数据...",
                             "progress 5",
                             "pause 100",
                             "status 正在获取网络信息...",
                             "row 网络链接 = 未链接 (highlighted)",
                             "pause 100",
                             "status 正在获取CPU信息...",
                             "row 处理器 =   Intel(R) Core(TM) i5-8400 CPU @ 2.80GHz",
                             "progress 10",
                             "pause 100",
                             "status 正在获取内存信息...",
                             "row 内存 = 8.0GB(已用45%)",
                             "progress 20",
                             "pause 100",
                             "status 正在获取操作系统信息...",
                             "row 操作系统 = Windows 10 专业版 64位",
                             "progress 30",
                             "pause 100",
                             "row 系统盘 = C:",
                             "progress 40",
                             "pause 100",
                             "status 正在获取硬盘信息...",
                             "row 分区表 = MBR",
                             "progress 50",
                             "pause 100",
                             "row 启动分区 = 0:1",
                             "progress 60",
                             "pause 100",
                             "row 启动方式 = Legacy BIOS",
                             "progress 70",
                             "pause 100",
                             "row 硬盘 = ATA ST500DM002",
                             "progress 80",
                             "pause 100",
                             "status 运行环境检测完成",
                             "progress 100",
                         }));
}

TEST(HardwareCheck, RowsOfGptAndTwoDiskMachines) {
    struct Case {
        const char* machine;
        Lines rows;
    };
    const Case cases[] = {
        {"gpt-uefi",
         {"网络链接 = 未链接 (highlighted)", "处理器 =   Intel(R) Core(TM) i5-8400 CPU @ 2.80GHz", "内存 = 8.0GB(已用45%)",
          "操作系统 = Windows 10 专业版 64位", "系统盘 = C:", "分区表 = GPT", "启动分区 = 0:1", "启动方式 = UEFI",
          "硬盘 = Samsung SSD 970 EVO 1TB"}},
        {"second-disk-first",
         {"网络链接 = 未链接 (highlighted)", "处理器 =   Intel(R) Core(TM) i5-8400 CPU @ 2.80GHz", "内存 = 8.0GB(已用45%)",
          "操作系统 = Windows 10 专业版 64位", "系统盘 = C:", "分区表 = MBR", "启动分区 = 0:1", "启动方式 = Legacy BIOS",
          "硬盘1 = ATA ST500DM002", "硬盘2 = ATA WD10EZEX"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.machine);
        Check check(MachineJson(c.machine));
        ASSERT_TRUE(check.Run());
        EXPECT_EQ(check.Rows(), c.rows);
        EXPECT_EQ(check.log.back(), "progress 100");
    }
}

TEST(HardwareCheck, TwoDisksPauseAfterEachRowAndReachEightyOnce) {
    Check check(MachineJson("second-disk-first"));
    ASSERT_TRUE(check.Run());
    const Lines tail(check.log.end() - 7, check.log.end());
    EXPECT_EQ(tail, (Lines{"row 硬盘1 = ATA ST500DM002", "pause 100", "row 硬盘2 = ATA WD10EZEX", "pause 100",
                           "progress 80", "status 运行环境检测完成", "progress 100"}));
}

TEST(HardwareCheck, WithACatalogueAndWithoutMemoryStatus) {
    Check check(MachineJson("one-disk-c-d"));
    CatalogueEntry entry;
    entry.url = "http://img.example/a.wim";
    check.context.SetCatalogue({entry}, {});
    check.sources.memory = [] { return std::optional<MemoryStatus>(); };
    check.sources.processorName = [] { return std::optional<std::string>(); };
    ASSERT_TRUE(check.Run());
    const Lines rows = check.Rows();
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0], "网络链接 = 正常") << "not highlighted";
    EXPECT_EQ(rows[1], "处理器 = 未知");
    EXPECT_EQ(rows[2], "操作系统 = Windows 10 专业版 64位") << "no memory row";
    for (const std::string& line : check.log) EXPECT_NE(line, "progress 20");
}

TEST(HardwareCheck, ADiskWithoutBootPartitionShowsNotFound) {
    // An MBR system disk whose partitions are all inactive.
    Check check(R"({"windows": {"dir": "C:\\Windows", "major": 6, "minor": 1, "build": 7601, "product_type": 1},
        "disks": [{"number": 0, "bus_type": 11, "product": "ST500", "size": 536870912000, "style": "mbr",
                   "partitions": [
                     {"number": 1, "mbr_type": 7, "active": false, "start": 1048576, "length": 107374182400,
                      "volume": {"letter": "C", "fs": "NTFS", "free": 42949672960}},
                     {"number": 2, "mbr_type": 7, "active": false, "start": 107375230976, "length": 322122547200,
                      "volume": {"letter": "D", "fs": "NTFS", "free": 21474836480}}]}]})");
    ASSERT_TRUE(check.Run());
    const Lines rows = check.Rows();
    EXPECT_NE(std::find(rows.begin(), rows.end(), "启动分区 = 未找到"), rows.end());
}

TEST(HardwareCheck, WaitsForTheWindowThenRunsAndEndsAtAStop) {
    Check waiting(MachineJson("one-disk-c-d"));
    int asked = 0;
    ASSERT_TRUE(waiting.Run([&] { return ++asked > 3; }));
    EXPECT_EQ(Lines(waiting.log.begin(), waiting.log.begin() + 4),
              (Lines{"pause 100", "pause 100", "pause 100", "status 正在初始化数据..."}));

    Check stopped(MachineJson("one-disk-c-d"));
    stopped.clock.stopAfter = 4;
    Status outcome = stopped.Run();
    EXPECT_FALSE(outcome);
    EXPECT_EQ(outcome.failure().code, 1223u);
    EXPECT_EQ(stopped.log.back(), "pause 100");
    for (const std::string& line : stopped.log) EXPECT_NE(line, "progress 100") << "a stopped check never ends its page";
}

TEST(HardwareCheck, MemoryAndBootPartitionTexts) {
    EXPECT_EQ(MemoryText({8ull << 30, 45}), "8.0GB(已用45%)");
    EXPECT_EQ(MemoryText({4294967296ull + 429496729ull, 7}), "4.4GB(已用7%)");
    DiskInfo usb;
    usb.driveNumber = 1;
    usb.busType = disk::kBusUsb;
    EXPECT_EQ(BootPartitionText(usb), "未找到");
}

}  // namespace
}  // namespace qnb::inspect
