#include "uikit/core/shadow_bitmap.h"

#include <gtest/gtest.h>

namespace uikit {
namespace {

uint32_t Alpha(const std::vector<uint32_t>& pixels, Size total, int x, int y) { return pixels[y * total.cx + x] >> 24; }

TEST(ShadowBitmap, DarkestAtTheEdgeAndGoneAtItsSize) {
    ShadowSettings s;
    s.darkness = 40;
    s.sharpness = 11;
    s.size = 11;
    Size window{100, 60};
    Size total = ShadowBitmapSize(window, s);
    ASSERT_EQ(total, (Size{122, 82}));
    std::vector<uint32_t> pixels = MakeShadowBitmap(window, s);
    ASSERT_EQ(pixels.size(), size_t(122 * 82));
    int mid = total.cy / 2;
    EXPECT_EQ(Alpha(pixels, total, 11, mid), 40u) << "under the window's left edge";
    EXPECT_EQ(Alpha(pixels, total, 0, mid), 0u) << "size pixels away";
    uint32_t previous = 41;
    for (int x = 11; x >= 0; --x) {
        uint32_t a = Alpha(pixels, total, x, mid);
        EXPECT_LE(a, previous) << "fading outwards at x " << x;
        previous = a;
        EXPECT_EQ(a, Alpha(pixels, total, total.cx - 1 - x, mid)) << "left and right alike";
    }
    for (uint32_t p : pixels) EXPECT_EQ(p & 0x00FFFFFFu, 0u) << "premultiplied black";
}

TEST(ShadowBitmap, NothingWithoutDarknessOrSize) {
    ShadowSettings s;
    s.size = 11;
    for (uint32_t p : MakeShadowBitmap({20, 20}, s)) EXPECT_EQ(p, 0u);
    s.darkness = 40;
    s.size = 0;
    EXPECT_EQ(MakeShadowBitmap({20, 20}, s).size(), 400u);
}

}  // namespace
}  // namespace uikit
