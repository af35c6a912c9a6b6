#include "net/http_request.h"

#include <gtest/gtest.h>

namespace qnb::net {
namespace {

std::string RequestLine(const std::string& text) { return text.substr(0, text.find("\r\n")); }

TEST(GetRequest, ParametersJoinThePathWithTheRightSeparator) {
    struct Case {
        const char* path;
        const char* parameters;
        const char* line;
    } cases[] = {
        {"/a/", "ver=1", "GET /a/?ver=1 HTTP/1.1"},
        {"/a/?x=2", "ver=1", "GET /a/?x=2&ver=1 HTTP/1.1"},
        {"/a/", "&ver=1", "GET /a/?ver=1 HTTP/1.1"},
        {"/a/", "?ver=1", "GET /a/?ver=1 HTTP/1.1"},
        {"/a/?x=2", "?ver=1", "GET /a/?x=2&ver=1 HTTP/1.1"},
        {"/a/", "", "GET /a/ HTTP/1.1"},
        {"/s/?utm_source=2001", "", "GET /s/?utm_source=2001 HTTP/1.1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RequestLine(BuildGetRequest(c.path, "api.example", c.parameters)), c.line)
            << c.path << " + " << c.parameters;
    }
}

TEST(GetRequest, HeaderFieldsByteForByte) {
    EXPECT_EQ(BuildGetRequest("/x/", "api.example", "a=1"),
              "GET /x/?a=1 HTTP/1.1\r\nHost: api.example\r\nConnection: Close\r\n"
              "User-Agent: Mozilla/5.0 (Windows NT 6.3; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
              "Chrome/56.0.2924.87 Safari/537.36\r\n\r\n");
}

TEST(GetRequest, TextThatWouldBreakTheRequestIsRefused) {
    EXPECT_EQ(BuildGetRequest("/a/", "h", "sp=Service Pack 1"), "");
    EXPECT_EQ(BuildGetRequest("/a/\r\nX-Evil: 1", "h", ""), "");
    EXPECT_EQ(BuildGetRequest("/a/", "h\r\nX: y", ""), "");
    EXPECT_EQ(BuildGetRequest("/a/", "h", "name=\xE4\xB8\xAD"), "");
    EXPECT_EQ(BuildGetRequest("", "h", "a=1"), "");
}

TEST(QueryValue, PercentEncodesAllButUnreservedCharacters) {
    EXPECT_EQ(EncodeQueryValue("Service Pack 1"), "Service%20Pack%201");
    EXPECT_EQ(EncodeQueryValue("a-b.c_d~e"), "a-b.c_d~e");
    EXPECT_EQ(EncodeQueryValue("x&y=z?#%"), "x%26y%3Dz%3F%23%25");
    EXPECT_EQ(EncodeQueryValue("\xE4\xB8\xAD"), "%E4%B8%AD");
    EXPECT_EQ(BuildGetRequest("/a/", "h", "sp=" + EncodeQueryValue("Service Pack 1")).substr(0, 29),
              "GET /a/?sp=Service%20Pack%201");
}

}  // namespace
}  // namespace qnb::net
