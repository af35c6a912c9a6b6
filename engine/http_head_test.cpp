#include "engine/http_head.h"

#include <gtest/gtest.h>

namespace qnb::engine {
namespace {

TEST(HttpHead, APartialAnswerWithItsFields) {
    std::string bytes =
        "HTTP/1.1 206 Partial Content\r\n"
        "Server: nginx\r\n"
        "content-length:  1000\r\n"
        "Content-Range: bytes 0-999/5000\r\n"
        "ETag: \"5f3a-1388\"\r\n"
        "Last-Modified: Tue, 08 Dec 2026 10:00:00 GMT\r\n"
        "\r\n"
        "BODY";
    HttpHead head;
    ASSERT_EQ(ParseHttpHead(bytes, &head), HeadParse::kComplete);
    EXPECT_EQ(head.status, 206);
    EXPECT_EQ(head.contentLength, 1000u);
    EXPECT_EQ(head.contentRange, "bytes 0-999/5000");
    EXPECT_EQ(head.etag, "\"5f3a-1388\"");
    EXPECT_EQ(head.lastModified, "Tue, 08 Dec 2026 10:00:00 GMT");
    EXPECT_FALSE(head.chunked);
    EXPECT_EQ(bytes.substr(head.size), "BODY");
}

TEST(HttpHead, Table) {
    struct Case { std::string bytes; HeadParse result; };
    const Case cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n", HeadParse::kIncomplete},
        {"HTTP/1.0 302\r\nLocation: http://a/b\r\n\r\n", HeadParse::kComplete},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", HeadParse::kComplete},
        {"HTTP/2 200 OK\r\n\r\n", HeadParse::kMalformed},
        {"HTTP/1.1 2x0 OK\r\n\r\n", HeadParse::kMalformed},
        {"HTTP/1.1 200OK\r\n\r\n", HeadParse::kMalformed},
        {"HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n", HeadParse::kMalformed},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 6\r\n\r\n", HeadParse::kMalformed},
        {"HTTP/1.1 200 OK\r\nno colon here\r\n\r\n", HeadParse::kMalformed},
        {"HTTP/1.1 200 OK\r\nBad Name: x\r\n\r\n", HeadParse::kMalformed},
        {"HTTP/1.1 200 OK\r\nX: " + std::string(kMaxHeadSize, 'a'), HeadParse::kMalformed},
    };
    for (const Case& c : cases) {
        HttpHead head;
        EXPECT_EQ(ParseHttpHead(c.bytes, &head), c.result) << c.bytes.substr(0, 60);
    }
    HttpHead chunked;
    ParseHttpHead("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", &chunked);
    EXPECT_TRUE(chunked.chunked);
}

}  // namespace
}  // namespace qnb::engine
