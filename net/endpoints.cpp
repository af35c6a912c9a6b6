#include "net/endpoints.h"

#include <cstdlib>

namespace qnb::net {

namespace {

// The names the service is known by until a build names its hosts.
constexpr char kApiPlaceholder[] = "api.tessaly.example";
constexpr char kReportPlaceholder[] = "report.tessaly.example";

const char* HostOr(const char* setting, const char* placeholder) { return *setting ? setting : placeholder; }

uint16_t Port(const char* text, uint16_t fallback) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value > 0 && value < 65536 ? static_cast<uint16_t>(value) : fallback;
}

#ifdef QNB_TEST_HOOKS
void FromEnvironment(Endpoint* e, const char* hostVariable, const char* portVariable) {
    if (const char* h = std::getenv(hostVariable); h && *h) e->host = h;
    if (const char* p = std::getenv(portVariable); p && *p) e->port = Port(p, e->port);
}
#endif

}  // namespace

Endpoint ApiEndpoint() {
    Endpoint e{HostOr(QNB_API_HOST_SETTING, kApiPlaceholder), Port(QNB_API_PORT_SETTING, 80)};
#ifdef QNB_TEST_HOOKS
    FromEnvironment(&e, "QNB_API_HOST", "QNB_API_PORT");
#endif
    return e;
}

Endpoint ReportEndpoint() {
    Endpoint e{HostOr(QNB_REPORT_HOST_SETTING, kReportPlaceholder), Port(QNB_REPORT_PORT_SETTING, 80)};
#ifdef QNB_TEST_HOOKS
    FromEnvironment(&e, "QNB_REPORT_HOST", "QNB_REPORT_PORT");
#endif
    return e;
}

}  // namespace qnb::net
