// The security detectors' view of the real machine: registry, Program
// Files, running processes and services.
#pragma once

#include "ui/security_products.h"

#include <functional>

namespace qnb::ui {

class Win32SecurityProbe : public SecurityProbe {
public:
    // osTypeCode: the OS type code of the Windows on the system partition (asked when needed).
    explicit Win32SecurityProbe(std::function<int()> osTypeCode) : osTypeCode_(std::move(osTypeCode)) {}
    std::optional<uint32_t> ReadDword(const std::string& key, const std::string& value) override;
    std::optional<std::string> ReadText(const std::string& key, const std::string& value, size_t maxBytes) override;
    std::optional<std::string> ReadClassesDefault(const std::string& key) override;
    bool Exists(const std::string& path) override;
    std::string ProgramFiles() override;
    std::vector<DirectoryEntry> List(const std::string& folder) override;
    std::optional<std::vector<std::string>> ProcessNames() override;
    std::optional<bool> ServiceRunning(const std::string& name) override;
    int OsTypeCode() override { return osTypeCode_ ? osTypeCode_() : 0; }

private:
    std::function<int()> osTypeCode_;
};

}  // namespace qnb::ui
