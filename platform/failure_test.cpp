#include "platform/failure.h"

#include <gtest/gtest.h>

namespace qnb {
namespace {

TEST(Failure, DescribesWhatWhereAndTheCode) {
    struct Case { Failure failure; std::string expected; };
    const Case cases[] = {
        {{"copy file", "D:\\a.txt", 5}, "copy file D:\\a.txt: error 5"},
        {{"connect", "api.example:80", 0}, "connect api.example:80"},
        {{"", "", 2}, "failed: error 2"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.failure.Describe(), c.expected);
}

TEST(Failure, ResultCarriesEitherTheValueOrTheFailure) {
    Result<int> good(7);
    ASSERT_TRUE(good.ok());
    EXPECT_EQ(*good, 7);
    EXPECT_TRUE(good.status().ok());

    Result<int> bad(Failure{"read", "C:\\x", 3});
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.failure().code, 3u);
    EXPECT_EQ(bad.status().failure().where, "C:\\x");
}

}  // namespace
}  // namespace qnb
