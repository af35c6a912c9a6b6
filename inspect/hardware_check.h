// The environment check of the reinstall wizard's first page: one run
// fills the hardware list row by row (network, processor, memory, Windows,
// system drive, partition style and boot partition, boot mode, disks) while
// the page's status line and progress bar say how far it has come. It runs
// as a job; every change goes to a sink, which the page applies on its
// window's thread. The pauses of 100 ms are part of the sequence.
#pragma once

#include "app/app_context.h"
#include "jobs/job.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace qnb::inspect {

struct MemoryStatus {
    uint64_t totalPhysical = 0;  // bytes
    uint32_t load = 0;           // percent in use
};

// Where the check gets what the context does not hold.
struct HardwareSources {
    // The context's initialisation, run again (disks, Windows facts, workspace).
    std::function<void()> initialise;
    // The processor's brand string; nothing when it cannot be read.
    std::function<std::optional<std::string>()> processorName;
    // The extended memory status; nothing when Windows does not give it.
    std::function<std::optional<MemoryStatus>()> memory;
};

// What the check tells its page, in order.
class HardwareSink {
public:
    virtual ~HardwareSink() = default;
    virtual void Status(const std::string& text) = 0;
    virtual void Row(const std::string& key, const std::string& value, bool highlight) = 0;
    // 100 ends the check.
    virtual void Progress(int percent) = 0;
};

constexpr auto kHardwarePause = std::chrono::milliseconds(100);

// Waits (100 ms at a time) until ready says the page's window exists, then
// runs the check once. A stop ends it at its next pause.
Status RunHardwareCheck(JobControl& control, const std::function<bool()>& ready, AppContext& context,
                        const HardwareSources& sources, HardwareSink& sink);

// "8.0GB(已用45%)": the total in GiB with one decimal and the load.
std::string MemoryText(const MemoryStatus& memory);
// "启动分区": "%d:%d" with the disk's and its boot partition's numbers;
// "未找到" when the disk has no boot partition.
std::string BootPartitionText(const DiskInfo& disk);

}  // namespace qnb::inspect
