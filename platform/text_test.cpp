#include "platform/text.h"

#include <gtest/gtest.h>

namespace qnb::text {
namespace {

TEST(Text, Utf8AndUtf16RoundTrip) {
    const std::string samples[] = {"", "abc", "重装助手", "Windows 10 预览版", "\xF0\x9F\x98\x80 emoji"};
    for (const std::string& s : samples) EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(s)), s) << s;
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), (std::u16string{0xD83D, 0xDE00}));
}

TEST(Text, BrokenUtf8BecomesReplacementCharacters) {
    struct Case { std::string input; std::u16string expected; };
    const Case cases[] = {
        {"\xC0\xAF", u"\uFFFD"},          // an overlong "/" is one broken sequence
        {"a\xE4\xB8", u"a\uFFFD"},       // cut in the middle of a sequence
        {"\xED\xA0\x80", u"\uFFFD"},     // an encoded surrogate
        {"\xFF", u"\uFFFD"},
    };
    for (const Case& c : cases) EXPECT_EQ(Utf8ToUtf16(c.input), c.expected);
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDC00, 'a'}), "\xEF\xBF\xBD" "a");  // lone low surrogate
}

TEST(Text, AnsiIsGbkOnAChineseSystem) {
    EXPECT_EQ(Utf8ToAnsi("重装"), "\xD6\xD8\xD7\xB0");
    EXPECT_EQ(AnsiToUtf8("\xD6\xD8\xD7\xB0"), "重装");
    EXPECT_EQ(Utf8ToAnsi("a\xF0\x9F\x98\x80" "b"), "a?b");  // not in GBK
}

TEST(Text, LineEndsBecomeCrLf) {
    EXPECT_EQ(ToCrLf("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(ToCrLf(""), "");
}

}  // namespace
}  // namespace qnb::text
