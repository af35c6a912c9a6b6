#include "platform/ascii.h"

#include <gtest/gtest.h>

namespace qnb::ascii {
namespace {

TEST(Ascii, OnlyAsciiLettersChangeCase) {
    struct Case { std::string_view input, lower, upper; };
    const Case cases[] = {
        {"Content-Length", "content-length", "CONTENT-LENGTH"},
        {"", "", ""},
        {"@[`{", "@[`{", "@[`{"},                                // neighbours of the letters
        {"\xC3\x89t\xC3\xA9", "\xC3\x89t\xC3\xA9", "\xC3\x89T\xC3\xA9"},  // "Été": UTF-8 bytes stay
        {"重装C:\\", "重装c:\\", "重装C:\\"},
        {"\xC0\xDE\xE0\xFE", "\xC0\xDE\xE0\xFE", "\xC0\xDE\xE0\xFE"},  // Latin-1 letters are not ASCII
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToLower(c.input), c.lower) << c.input;
        EXPECT_EQ(ToUpper(c.input), c.upper) << c.input;
    }
}

TEST(Ascii, ComparesIgnoringCase) {
    struct Case { std::string_view a, b; bool equal; };
    const Case cases[] = {
        {"Transfer-Encoding", "transfer-ENCODING", true},
        {"", "", true},
        {"chunked", "chunke", false},
        {"[", "{", false},  // 0x5B and 0x7B differ only in the bit that folds letters
        {"@", "`", false},
        {"\xC3\x89", "\xC3\xA9", false},  // É and é: not ASCII, not folded
        {"镜像.ISO", "镜像.iso", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EqualsIgnoringCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(EqualsIgnoringCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
    }
}

TEST(Ascii, FindsPrefixesAndPartsIgnoringCase) {
    struct Case { std::string_view text, part; bool starts, contains; };
    const Case cases[] = {
        {"HTTPS://example", "https://", true, true},
        {"http", "https://", false, false},                     // shorter than the prefix
        {"C:\\QNB\\SETTING.JSON", ".json", false, true},
        {"C:\\QNB\\setting.jso", ".json", false, false},
        {"aaB", "ab", false, true},                              // a match that starts after a false start
        {"abc", "", true, true},
        {"", "", true, true},
        {"", "a", false, false},
        {"\xC3\x89T\xC3\x89", "\xC3\xA9t", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StartsWithIgnoringCase(c.text, c.part), c.starts) << c.text << " / " << c.part;
        EXPECT_EQ(ContainsIgnoringCase(c.text, c.part), c.contains) << c.text << " / " << c.part;
    }
}

TEST(Ascii, TrimsTheGivenCharactersAtTheEnds) {
    struct Case { std::string_view input, chars, start, end, both; };
    const Case cases[] = {
        {" \ta b\t ", kBlanks, "a b\t ", " \ta b", "a b"},
        {"\r\n a \r\n", kBlanks, "\r\n a \r\n", "\r\n a \r\n", "\r\n a \r\n"},
        {"\r\n a \r\n", kWhitespace, "a \r\n", "\r\n a", "a"},
        {" \t ", kBlanks, "", "", ""},
        {"", kBlanks, "", "", ""},
        {"a", kBlanks, "a", "a", "a"},
        {"\xC2\xA0x\xC2\xA0", kWhitespace, "\xC2\xA0x\xC2\xA0", "\xC2\xA0x\xC2\xA0", "\xC2\xA0x\xC2\xA0"},  // NBSP
        {" 重装 ", kBlanks, "重装 ", " 重装", "重装"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrimStart(c.input, c.chars), c.start) << '[' << c.input << ']';
        EXPECT_EQ(TrimEnd(c.input, c.chars), c.end) << '[' << c.input << ']';
        EXPECT_EQ(Trim(c.input, c.chars), c.both) << '[' << c.input << ']';
    }
}

}  // namespace
}  // namespace qnb::ascii
