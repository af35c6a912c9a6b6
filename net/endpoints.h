// Where the service is: the API host (catalogue, package, update) and the
// report host, both build settings. Test and demo builds also take
// QNB_API_HOST, QNB_API_PORT, QNB_REPORT_HOST and QNB_REPORT_PORT from the
// environment; the shipped program does not look.
#pragma once

#include <cstdint>
#include <string>

namespace qnb::net {

struct Endpoint {
    std::string host;
    uint16_t port = 80;
};

Endpoint ApiEndpoint();
Endpoint ReportEndpoint();

}  // namespace qnb::net
