#include "net/endpoints.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace qnb::net {
namespace {

// Test builds take the hosts from the environment; without it, the build's settings.
TEST(Endpoints, TheEnvironmentOverridesTheBuildSettings) {
    unsetenv("QNB_API_HOST");
    unsetenv("QNB_API_PORT");
    Endpoint built = ApiEndpoint();
    EXPECT_FALSE(built.host.empty());

    setenv("QNB_API_HOST", "api.test.example", 1);
    setenv("QNB_API_PORT", "8080", 1);
    setenv("QNB_REPORT_HOST", "report.test.example", 1);
    setenv("QNB_REPORT_PORT", "not a port", 1);
    EXPECT_EQ(ApiEndpoint().host, "api.test.example");
    EXPECT_EQ(ApiEndpoint().port, 8080);
    EXPECT_EQ(ReportEndpoint().host, "report.test.example");
    EXPECT_EQ(ReportEndpoint().port, 80) << "a port that is not one keeps the build's";
    setenv("QNB_API_PORT", "70000", 1);
    EXPECT_EQ(ApiEndpoint().port, 80);
    for (const char* name : {"QNB_API_HOST", "QNB_API_PORT", "QNB_REPORT_HOST", "QNB_REPORT_PORT"}) unsetenv(name);
    EXPECT_EQ(ApiEndpoint().host, built.host);
}

}  // namespace
}  // namespace qnb::net
