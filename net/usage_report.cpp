#include "net/usage_report.h"

#include "net/http_request.h"

#include <cstdarg>
#include <cstdio>

namespace qnb::net {

namespace {

constexpr char kVersion[] = "20190404";
constexpr int kSource = 2001;

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...) {
    char buffer[2048];  // the query texts stay far below this
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0) return {};
    return std::string(buffer, static_cast<size_t>(n) < sizeof buffer ? static_cast<size_t>(n) : sizeof buffer - 1);
}

}  // namespace

void RefreshFacts(ReportFacts& facts, const WindowsReportFacts& reading) {
    facts.major = reading.major;
    facts.minor = reading.minor;
    facts.build = reading.build;
    facts.productType = reading.productType;
    facts.architecture = reading.architecture;
    if (!reading.servicePack.empty()) facts.servicePack = reading.servicePack;
    if (reading.major > 5 && reading.productInfo) facts.productInfo = *reading.productInfo;
}

std::string MacForReports(const std::string& address) {
    if (address.empty()) return "NULL";
    std::string mac;
    for (char c : address) {
        if (c != '-') mac += c;
    }
    return mac;
}

const char* ReportPath(ReportKind kind) {
    switch (kind) {
    case ReportKind::kStartup: return "/api/soft/quenbrook_reinstall/v2/sysinfo/";
    case ReportKind::kBackupDone: return "/api/soft/quenbrook_reinstall/v2/backup/";
    case ReportKind::kBackupClick: return "/api/soft/quenbrook_reinstall/v2/backupclick/";
    case ReportKind::kRestoreDone: return "/api/soft/quenbrook_reinstall/v2/restore/";
    case ReportKind::kRestoreClick: return "/api/soft/quenbrook_reinstall/v2/restoreclick/";
    case ReportKind::kReinstallDone: return "/api/soft/quenbrook_reinstall/v2/reinstall/";
    case ReportKind::kReinstallClick: return "/api/soft/quenbrook_reinstall/v2/reinstallclick/";
    }
    return "";
}

bool RefreshesFacts(ReportKind kind) {
    return kind == ReportKind::kStartup || kind == ReportKind::kReinstallDone || kind == ReportKind::kReinstallClick;
}

std::string ReportQuery(ReportKind kind, const ReportFacts& f, const std::string& mac, int32_t sys,
                        const std::string& soft) {
    std::string m = EncodeQueryValue(mac);
    switch (kind) {
    case ReportKind::kStartup:
        return Format("mav=%d&miv=%d&bn=%d&pt=%d&pa=%d&sp=%s&mac=%s&pi=%d&ver=%s&utm_source=%d", f.major, f.minor,
                      f.build, f.productType, f.architecture, EncodeQueryValue(f.servicePack).c_str(), m.c_str(),
                      f.productInfo, kVersion, kSource);
    case ReportKind::kBackupDone:
    case ReportKind::kBackupClick:
    case ReportKind::kRestoreDone:
    case ReportKind::kRestoreClick:
        return Format("mac=%s&ver=%s&utm_source=%d", m.c_str(), kVersion, kSource);
    case ReportKind::kReinstallDone:
        return Format("mac=%s&sys=%d&old_sys=%d.%d.%d&soft=%s&ver=%s&utm_source=%d", m.c_str(), sys, f.major, f.minor,
                      f.build, EncodeQueryValue(soft).c_str(), kVersion, kSource);
    case ReportKind::kReinstallClick:
        return Format("mac=%s&old_sys=%d.%d.%d&ver=%s&utm_source=%d", m.c_str(), f.major, f.minor, f.build, kVersion,
                      kSource);
    }
    return {};
}

}  // namespace qnb::net
