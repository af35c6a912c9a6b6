#include "inspect/hardware_check.h"

#include <cstdio>

namespace qnb::inspect {

namespace {

constexpr uint32_t kCancelled = 1223;  // ERROR_CANCELLED

// Stop ends the check at a pause.
struct Stopped {};

void Pause(JobControl& control) {
    if (!control.SleepFor(kHardwarePause)) throw Stopped{};
}

}  // namespace

std::string MemoryText(const MemoryStatus& memory) {
    char text[64];
    std::snprintf(text, sizeof text, "%0.1fGB(已用%u%%)", static_cast<double>(memory.totalPhysical) / 1073741824.0,
                  memory.load);
    return text;
}

std::string BootPartitionText(const DiskInfo& disk) {
    std::optional<PartitionInfo> boot = disk.BootPartition();
    if (!boot) return "未找到";
    return std::to_string(disk.driveNumber) + ":" + std::to_string(boot->number);
}

Status RunHardwareCheck(JobControl& control, const std::function<bool()>& ready, AppContext& context,
                        const HardwareSources& sources, HardwareSink& sink) {
    try {
        while (!ready()) Pause(control);

        sink.Status("正在初始化数据...");
        sink.Progress(5);
        if (sources.initialise) sources.initialise();
        Pause(control);

        sink.Status("正在获取网络信息...");
        // The network row says whether the catalogue could be fetched.
        const bool connected = !context.CatalogueEntries().empty();
        sink.Row("网络链接", connected ? "正常" : "未链接", !connected);
        Pause(control);

        sink.Status("正在获取CPU信息...");
        std::optional<std::string> processor = sources.processorName ? sources.processorName() : std::nullopt;
        sink.Row("处理器", processor.value_or("未知"), false);
        sink.Progress(10);
        Pause(control);

        sink.Status("正在获取内存信息...");
        if (std::optional<MemoryStatus> memory = sources.memory ? sources.memory() : std::nullopt) {
            sink.Row("内存", MemoryText(*memory), false);
            sink.Progress(20);
            Pause(control);
        }

        // One initialisation's facts for every row below.
        std::shared_ptr<const MachineFacts> facts = context.Facts();
        sink.Status("正在获取操作系统信息...");
        // An edition Windows does not name (inside the environment) leaves no double blank.
        const std::string edition = EditionName(facts->productType);
        sink.Row("操作系统",
                 OsName(facts->major, facts->minor) + " " + (edition.empty() ? "" : edition + " ") +
                     (facts->is64 ? "64位" : "32位"),
                 false);
        sink.Progress(30);
        Pause(control);

        sink.Row("系统盘", std::string(1, facts->systemLetter) + ":", false);
        sink.Progress(40);
        Pause(control);

        sink.Status("正在获取硬盘信息...");
        for (const DiskInfo& disk : facts->disks) {
            if (!disk.HasLetter(facts->systemLetter)) continue;
            if (disk.partitionStyle == disk::kStyleGpt) {
                sink.Row("分区表", "GPT", false);
            } else if (disk.partitionStyle == disk::kStyleMbr) {
                sink.Row("分区表", "MBR", false);
            }
            sink.Progress(50);
            Pause(control);
            sink.Row("启动分区", BootPartitionText(disk), false);
            sink.Progress(60);
            Pause(control);
        }

        sink.Row("启动方式", facts->systemDiskGpt ? "UEFI" : "Legacy BIOS", false);
        sink.Progress(70);
        Pause(control);

        if (facts->disks.size() > 1) {
            for (size_t i = 0; i < facts->disks.size(); ++i) {
                sink.Row("硬盘" + std::to_string(i + 1), facts->disks[i].model, false);
                Pause(control);
            }
            sink.Progress(80);
        } else if (facts->disks.size() == 1) {
            sink.Row("硬盘", facts->disks[0].model, false);
            sink.Progress(80);
            Pause(control);
        }

        sink.Status("运行环境检测完成");
        sink.Progress(100);
        return {};
    } catch (const Stopped&) {
        return Failure{"check the hardware", "stopped", kCancelled};
    }
}

}  // namespace qnb::inspect
