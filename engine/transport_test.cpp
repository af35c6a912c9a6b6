#include "engine/transport.h"

#include <gtest/gtest.h>

namespace qnb::engine {
namespace {

TEST(ContentRange, Table) {
    struct Case { const char* value; bool ok; uint64_t first, last; std::optional<uint64_t> total; };
    const Case cases[] = {
        {"bytes 0-99/1000", true, 0, 99, 1000},
        {"Bytes 100-999/1000", true, 100, 999, 1000},
        {"bytes 0-4294967295/8589934592", true, 0, 4294967295ull, 8589934592ull},
        {"bytes 5-9/*", true, 5, 9, std::nullopt},
        {"  bytes 0-0/1 \r\n", true, 0, 0, 1},
        {"bytes 0-1000/1000", false, 0, 0, {}},   // last byte past the end
        {"bytes 9-5/100", false, 0, 0, {}},
        {"bytes */1000", false, 0, 0, {}},        // the 416 form
        {"items 0-9/10", false, 0, 0, {}},
        {"bytes 0-9/10x", false, 0, 0, {}},
        {"bytes 0-99999999999999999999/1", false, 0, 0, {}},
        {"bytes=0-9/10", false, 0, 0, {}},
        {"", false, 0, 0, {}},
    };
    for (const Case& c : cases) {
        auto r = ParseContentRange(c.value);
        ASSERT_EQ(r.has_value(), c.ok) << c.value;
        if (!c.ok) continue;
        EXPECT_EQ(r->first, c.first) << c.value;
        EXPECT_EQ(r->last, c.last) << c.value;
        EXPECT_EQ(r->total, c.total) << c.value;
    }
}

TEST(ContentLength, Table) {
    EXPECT_EQ(ParseContentLength("1073741824"), 1073741824u);
    EXPECT_EQ(ParseContentLength(" 0 "), 0u);
    EXPECT_EQ(ParseContentLength("18446744073709551615"), UINT64_MAX);
    EXPECT_FALSE(ParseContentLength("18446744073709551616"));
    EXPECT_FALSE(ParseContentLength("-1"));
    EXPECT_FALSE(ParseContentLength("12 34"));
    EXPECT_FALSE(ParseContentLength(""));
}

TEST(RangeHeader, OpenAndClosed) {
    HttpRequest r;
    r.ranged = true;
    r.begin = 10;
    EXPECT_EQ(RangeHeader(r), "bytes=10-");
    r.last = 99;
    EXPECT_EQ(RangeHeader(r), "bytes=10-99");
}

}  // namespace
}  // namespace qnb::engine
