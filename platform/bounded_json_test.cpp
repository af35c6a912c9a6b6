#include "platform/bounded_json.h"

#include "platform/fake/memory_file_system.h"

#include <gtest/gtest.h>

namespace qnb::json {
namespace {

std::string Nested(int depth) { return std::string(depth, '[') + std::string(depth, ']'); }

// An array of n numbers: n + 1 values with the array itself.
std::string Numbers(size_t n) {
    std::string s = "[";
    for (size_t i = 0; i < n; ++i) s += i ? ",1" : "1";
    return s + "]";
}

TEST(BoundedJson, DocumentsAtAndPastEachLimit) {
    struct Case {
        const char* what;
        std::string bytes;
        bool readable;
    };
    const Case cases[] = {
        {"64 levels", Nested(64), true},
        {"65 levels", Nested(65), false},
        {"5,000 levels (past the library's own limit, which throws)", Nested(5000), false},
        {"65 levels, not closed", std::string(65, '['), false},
        {"10,000 values", Numbers(9999), true},
        {"10,001 values", Numbers(10000), false},
        {"10,001 values, the list not closed", Numbers(10000).substr(0, 20001), false},
        {"objects count their members", "{\"a\":{\"b\":[1,2]},\"c\":3}", true},
        {"brackets inside texts do not nest", "[\"" + std::string(100, '[') + "\"]", true},
        {"an escaped quote does not end a text", "[\"\\\"" + std::string(100, '[') + "\"]", true},
        {"brackets inside comments do not nest", "// " + std::string(100, '[') + "\n[1]", true},
        {"a quote inside a comment opens no text", "/* \" */ " + Nested(65), false},
        {"not JSON", "{\"a\": ", false},
        {"nothing", "", false},
    };
    for (const Case& c : cases) EXPECT_EQ(Parse(c.bytes).has_value(), c.readable) << c.what;
}

TEST(BoundedJson, TheByteLimitComesFirst) {
    std::string large = "[" + std::string(kMaxFileBytes - 2, ' ') + "]";
    EXPECT_TRUE(Parse(large).has_value()) << "exactly 4 MiB";
    EXPECT_FALSE(Parse(large + " ").has_value()) << "one byte more";
    Limits small;
    small.maxBytes = 10;
    EXPECT_FALSE(Parse("[1,2,3,4,5]", small).has_value());
}

TEST(BoundedJson, FilesLargerThanTheLimitAreNotRead) {
    fake::MemoryFileSystem files("E");
    files.AddFile("E:\\a.json", std::string(100, 'x'));
    EXPECT_EQ(ReadSmallFile(files, "E:\\a.json", 100), std::string(100, 'x'));
    EXPECT_FALSE(ReadSmallFile(files, "E:\\a.json", 99));
    EXPECT_FALSE(ReadSmallFile(files, "E:\\missing.json"));
    files.AddFile("E:\\b.json", "{\"n\": 3}");
    auto document = ReadFile(files, "E:\\b.json");
    ASSERT_TRUE(document);
    EXPECT_EQ((*document)["n"].asInt(), 3);
}

TEST(BoundedJson, TheLibrarysConversionsWithoutItsExceptions) {
    auto root = Parse(R"({"t": true, "one": 1, "zero": 0, "half": 1.5, "text": "1", "big": 9999999999,
                         "list": [1], "object": {}})");
    ASSERT_TRUE(root);
    const Json::Value& v = *root;
    struct Case {
        const char* key;
        std::optional<bool> asBool;
        std::optional<int> asInt;
        std::optional<std::string> asText;
    };
    const Case cases[] = {
        {"t", true, 1, "true"},
        {"one", true, 1, "1"},
        {"zero", false, 0, "0"},
        {"half", true, 1, "1.5"},
        {"text", std::nullopt, std::nullopt, "1"},
        {"big", true, std::nullopt, "9999999999"},
        {"list", std::nullopt, std::nullopt, std::nullopt},
        {"object", std::nullopt, std::nullopt, std::nullopt},
        {"missing", false, 0, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToBool(v[c.key]), c.asBool) << c.key;
        EXPECT_EQ(ToInt(v[c.key]), c.asInt) << c.key;
        EXPECT_EQ(ToText(v[c.key]), c.asText) << c.key;
    }
}

}  // namespace
}  // namespace qnb::json
