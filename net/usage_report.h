// Usage reports: one GET with a query text to the report host, at start-up
// and when an action window opens or an action has been prepared. The
// answer is ignored and every failure is silent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qnb::net {

enum class ReportKind {
    kStartup = 1,         // sysinfo
    kBackupDone = 2,      // backup
    kBackupClick = 3,     // backupclick
    kRestoreDone = 4,     // restore
    kRestoreClick = 5,    // restoreclick
    kReinstallDone = 6,   // reinstall
    kReinstallClick = 7,  // reinstallclick
};

// The facts of the running Windows that the reports carry.
struct ReportFacts {
    int32_t major = 0, minor = 0, build = 0;
    int32_t productType = 0;    // product type byte of the extended version information
    int32_t architecture = -1;  // processor architecture (low 16 bits)
    std::string servicePack = "NULL";
    int32_t productInfo = 0;    // GetProductInfo, Windows Vista and later
};

// One reading of Windows' version facts (GetVersionEx and friends).
struct WindowsReportFacts {
    int32_t major = 0, minor = 0, build = 0, productType = 0, architecture = 0;
    std::string servicePack;
    std::optional<int32_t> productInfo;
};

// Takes a reading into the facts: the service-pack text only when there is
// one, the product info only for major versions above 5.
void RefreshFacts(ReportFacts& facts, const WindowsReportFacts& reading);

// The machine's address as the reports send it: "NULL" for none, else the
// address without its "-" separators.
std::string MacForReports(const std::string& address);

// The report path of a kind, on the report host.
const char* ReportPath(ReportKind kind);

// The kinds whose report refreshes the Windows facts first.
bool RefreshesFacts(ReportKind kind);

// The query text of a report. sys is the chosen catalogue entry (reinstall
// prepared); soft is reported with it. Each value is percent-encoded, so a
// service-pack text with spaces stays one query value.
std::string ReportQuery(ReportKind kind, const ReportFacts& facts, const std::string& mac, int32_t sys,
                        const std::string& soft);

}  // namespace qnb::net
