// Windows facts answered from a machine description; without a "windows"
// part the fallback (the real system) answers.
#pragma once

#include "platform/sim/machine_description.h"
#include "platform/system_port.h"

namespace qnb::sim {

class SimSystem : public SystemPort {
public:
    SimSystem(std::optional<Windows> windows, SystemPort* fallback = nullptr)
        : windows_(std::move(windows)), fallback_(fallback) {}

    std::optional<std::string> windowsDirectory() override {
        if (windows_) return windows_->dir;
        return fallback_ ? fallback_->windowsDirectory() : std::nullopt;
    }
    std::optional<NtVersion> ntVersionNumbers() override {
        // The high nibble marks a free build, as the real function reports it.
        if (windows_) return NtVersion{windows_->major, windows_->minor, windows_->build | 0xF0000000u};
        return fallback_ ? fallback_->ntVersionNumbers() : std::nullopt;
    }
    std::optional<uint32_t> productInfo(uint32_t major, uint32_t minor) override {
        if (windows_) return windows_->productType ? std::optional<uint32_t>(windows_->productType) : std::nullopt;
        return fallback_ ? fallback_->productInfo(major, minor) : std::nullopt;
    }
    std::optional<bool> isWow64Process() override {
        if (windows_) return windows_->wow64;
        return fallback_ ? fallback_->isWow64Process() : std::nullopt;
    }

private:
    std::optional<Windows> windows_;
    SystemPort* fallback_;
};

}  // namespace qnb::sim
