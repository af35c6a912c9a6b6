#include "uikit/core/text_fit.h"

#include <gtest/gtest.h>

namespace uikit {
namespace {

// 10 pixels per character, however many bytes it takes.
int Measure(std::string_view text) {
    int n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n * 10;
}

TEST(TextFit, ShortensAtCharacterBoundariesWithAnEllipsis) {
    struct Case {
        const char* text;
        int width;
        const char* expected;
    } cases[] = {
        {"abcdef", 60, "abcdef"},                         // fits exactly
        {"abcdef", 59, "abcd\xE2\x80\xA6"},               // 4 letters + ellipsis = 50
        {"系统镜像下载失败", 45, "系统镜\xE2\x80\xA6"},    // never half a character
        {"系统", 5, "\xE2\x80\xA6"},                      // nothing fits: the ellipsis alone
        {"", 0, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FitWithEllipsis(c.text, c.width, Measure), c.expected) << c.text;
}

}  // namespace
}  // namespace uikit
