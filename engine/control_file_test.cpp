#include "engine/control_file.h"

#include <gtest/gtest.h>

namespace qnb::engine {
namespace {

ControlState Sample() {
    ControlState s;
    s.url = "http://mirror.example/系统/win10.gho";
    s.total = 5ull << 32;
    s.validator = "\"5f3a-1234\"";
    s.remaining = {{0, 10}, {4096, 1ull << 33}, {(5ull << 32) - 1, 5ull << 32}};
    return s;
}

TEST(ControlFile, RoundTrips) {
    auto back = DecodeControl(EncodeControl(Sample()));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->url, Sample().url);
    EXPECT_EQ(back->total, Sample().total);
    EXPECT_EQ(back->validator, Sample().validator);
    EXPECT_EQ(back->remaining, Sample().remaining);
}

TEST(ControlFile, AnyFlippedByteOrCutIsRefused) {
    const std::string good = EncodeControl(Sample());
    for (size_t i = 0; i < good.size(); ++i) {
        std::string bad = good;
        bad[i] ^= 0x20;
        EXPECT_FALSE(DecodeControl(bad)) << "byte " << i;
    }
    for (size_t n = 0; n < good.size(); ++n) EXPECT_FALSE(DecodeControl(good.substr(0, n))) << "cut at " << n;
}

// Files whose checksum is right but whose contents make no sense.
TEST(ControlFile, RangesMustBeSortedDisjointAndInsideTheFile) {
    struct Case { const char* what; std::vector<ByteRange> ranges; };
    const Case cases[] = {
        {"past the end", {{0, (5ull << 32) + 1}}},
        {"empty range", {{10, 10}}},
        {"reversed", {{20, 10}}},
        {"overlapping", {{0, 100}, {50, 200}}},
        {"unsorted", {{100, 200}, {0, 50}}},
    };
    for (const Case& c : cases) {
        ControlState s = Sample();
        s.remaining = c.ranges;
        EXPECT_FALSE(DecodeControl(EncodeControl(s))) << c.what;
    }
    ControlState s = Sample();
    s.url.clear();
    EXPECT_FALSE(DecodeControl(EncodeControl(s))) << "no address";
    s = Sample();
    s.url.assign(kMaxControlUrl + 1, 'a');
    EXPECT_FALSE(DecodeControl(EncodeControl(s))) << "address too long";
}

TEST(ControlFile, Crc32OfTheCheckString) { EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u); }

}  // namespace
}  // namespace qnb::engine
