#include "net/http_response_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qnb::net {
namespace {

using Failure = HttpResponseParser::Failure;
using State = HttpResponseParser::State;

struct Outcome {
    State state;
    Failure failure;
    std::string body;
    bool operator==(const Outcome& o) const {
        return state == o.state && failure == o.failure && body == o.body;
    }
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    return out << "{state " << static_cast<int>(o.state) << ", " << FailureName(o.failure) << ", body \"" << o.body
               << "\"}";
}

// Feeds the answer in the given pieces, then ends the connection.
Outcome Parse(const std::string& answer, const std::vector<size_t>& cuts = {},
            HttpResponseParser::Limits limits = {}) {
    HttpResponseParser parser(limits);
    size_t from = 0;
    for (size_t cut : cuts) {
        parser.Feed(answer.data() + from, cut - from);
        from = cut;
    }
    parser.Feed(answer.data() + from, answer.size() - from);
    parser.Finish();
    return {parser.state(), parser.failure(), parser.body()};
}

Outcome Complete(std::string body) { return {State::kComplete, Failure::kNone, std::move(body)}; }
Outcome Failed(Failure f) { return {State::kFailed, f, ""}; }

const std::string kOk = "HTTP/1.1 200 OK\r\n";

TEST(ResponseParser, WholeAnswers) {
    struct Case {
        const char* what;
        std::string answer;
        Outcome outcome;
    } cases[] = {
        {"fixed length", kOk + "Content-Length: 5\r\n\r\nhello", Complete("hello")},
        {"bytes past the length are dropped", kOk + "Content-Length: 3\r\n\r\nhello", Complete("hel")},
        {"chunked", kOk + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n", Complete("hello")},
        {"chunks joined", kOk + "Transfer-Encoding: chunked\r\n\r\n3\r\nhel\r\nA\r\nlo, world!\r\n0\r\n\r\n",
         Complete("hello, world!")},
        {"chunk extension, upper-case hex, trailer",
         kOk + "Transfer-Encoding: chunked\r\n\r\n0B;name=x\r\nhello world\r\n0\r\nX-T: 1\r\n\r\n",
         Complete("hello world")},
        {"field names in any case", "HTTP/1.0 200 OK\r\ncontent-length:  4 \r\n\r\nabcd", Complete("abcd")},
        {"status without reason", "HTTP/1.1 200\r\nContent-Length: 2\r\n\r\nok", Complete("ok")},
        {"chunked wins over a length", kOk + "Content-Length: 99\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nab\r\n0\r\n\r\n",
         Complete("ab")},
        {"a body that names fields", kOk + "Transfer-Encoding: chunked\r\n\r\n15\r\nContent-Length: 1\r\n\r\n\r\n0\r\n\r\n",
         Complete("Content-Length: 1\r\n\r\n")},
        {"binary body", kOk + "Content-Length: 3\r\n\r\n" + std::string("a\0b", 3), Complete(std::string("a\0b", 3))},

        {"404", "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found", Failed(Failure::kStatus)},
        {"404 whose body says 200 OK", "HTTP/1.1 404 Not Found\r\nContent-Length: 6\r\n\r\n200 OK",
         Failed(Failure::kStatus)},
        {"2000", "HTTP/1.1 2000 OK\r\nContent-Length: 1\r\n\r\nx", Failed(Failure::kStatus)},
        {"not HTTP", "garbage\r\n\r\n{}", Failed(Failure::kStatus)},
        {"no length", kOk + "Connection: close\r\n\r\n{}", Failed(Failure::kNoLength)},
        {"other transfer coding", kOk + "Transfer-Encoding: gzip\r\n\r\nxx", Failed(Failure::kNoLength)},
        {"length 0", kOk + "Content-Length: 0\r\n\r\n", Failed(Failure::kBadLength)},
        {"negative length", kOk + "Content-Length: -5\r\n\r\nhello", Failed(Failure::kBadLength)},
        {"length not a number", kOk + "Content-Length: 12abc\r\n\r\nhello", Failed(Failure::kBadLength)},
        {"empty length", kOk + "Content-Length: \r\n\r\nhello", Failed(Failure::kBadLength)},
        {"two lengths", kOk + "Content-Length: 5\r\nContent-Length: 6\r\n\r\nhello!", Failed(Failure::kBadLength)},
        {"length that overflows 64 bits", kOk + "Content-Length: 99999999999999999999999\r\n\r\n{}",
         Failed(Failure::kTooLarge)},
        {"length above the limit", kOk + "Content-Length: 4194305\r\n\r\n{}", Failed(Failure::kTooLarge)},
        {"chunk size not hex", kOk + "Transfer-Encoding: chunked\r\n\r\nzz\r\nhello\r\n0\r\n\r\n",
         Failed(Failure::kBadChunk)},
        {"chunk size with garbage", kOk + "Transfer-Encoding: chunked\r\n\r\n5x\r\nhello\r\n0\r\n\r\n",
         Failed(Failure::kBadChunk)},
        {"negative chunk size", kOk + "Transfer-Encoding: chunked\r\n\r\n-5\r\nhello\r\n0\r\n\r\n",
         Failed(Failure::kBadChunk)},
        {"chunk size that overflows", kOk + "Transfer-Encoding: chunked\r\n\r\nffffffffffffffffffff\r\nx",
         Failed(Failure::kTooLarge)},
        {"chunk data running into the next size", kOk + "Transfer-Encoding: chunked\r\n\r\n2\r\nhello\r\n0\r\n\r\n",
         Failed(Failure::kBadChunk)},
        {"chunked without a body byte", kOk + "Transfer-Encoding: chunked\r\n\r\n0\r\n\r\n", Failed(Failure::kEmpty)},
        {"closed inside the body", kOk + "Content-Length: 10\r\n\r\nhello", Failed(Failure::kClosedEarly)},
        {"closed inside a chunk", kOk + "Transfer-Encoding: chunked\r\n\r\n5\r\nhel", Failed(Failure::kClosedEarly)},
        {"closed before the last chunk", kOk + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n",
         Failed(Failure::kClosedEarly)},
        {"closed inside the header", kOk + "Content-Length: 5\r\n", Failed(Failure::kClosedEarly)},
        {"nothing", "", Failed(Failure::kClosedEarly)},
    };
    for (const Case& c : cases) EXPECT_EQ(Parse(c.answer), c.outcome) << c.what;
}

// The answers and every way the network can cut them.
const std::string kFixed = kOk + "Content-Type: text/plain\r\nContent-Length: 11\r\n\r\nhello world";
const std::string kChunked = kOk + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n1;x=y\r\n \r\n10\r\n0123456789abcdef\r\n0\r\n\r\n";

TEST(ResponseParser, EveryCutInOneOrTwoPlacesGivesTheSameBody) {
    for (const auto& [answer, body] : {std::pair{kFixed, std::string("hello world")},
                                       std::pair{kChunked, std::string("hello 0123456789abcdef")}}) {
        ASSERT_EQ(Parse(answer), Complete(body));
        for (size_t a = 1; a < answer.size(); ++a) {
            ASSERT_EQ(Parse(answer, {a}), Complete(body)) << "cut at " << a;
            for (size_t b = a + 1; b < answer.size(); ++b) {
                ASSERT_EQ(Parse(answer, {a, b}), Complete(body)) << "cuts at " << a << ", " << b;
            }
        }
        std::vector<size_t> everyByte;
        for (size_t i = 1; i < answer.size(); ++i) everyByte.push_back(i);
        EXPECT_EQ(Parse(answer, everyByte), Complete(body)) << "one byte per packet";
    }
}

TEST(ResponseParser, AHeaderSplitOverPacketsIsJoinedUpToItsLimit) {
    std::string filler = "X-Filler: " + std::string(15000, 'a') + "\r\n";
    std::string answer = kOk + filler + "Content-Length: 2\r\n\r\nok";
    std::vector<size_t> packets;
    for (size_t i = 4096; i < answer.size(); i += 4096) packets.push_back(i);
    EXPECT_EQ(Parse(answer, packets), Complete("ok"));

    std::string tooLong = kOk + "X-Filler: " + std::string(17000, 'a') + "\r\nContent-Length: 2\r\n\r\nok";
    EXPECT_EQ(Parse(tooLong, packets), Failed(Failure::kHeaderTooLong));
    // The end mark itself may be what passes the limit.
    HttpResponseParser::Limits limits;
    limits.maxHeader = 38;
    std::string exact = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";  // a 38-byte header
    EXPECT_EQ(Parse(exact, {}, limits), Complete("ok"));
    limits.maxHeader = 37;
    EXPECT_EQ(Parse(exact, {}, limits), Failed(Failure::kHeaderTooLong));
}

TEST(ResponseParser, LargeBodiesArriveWholeAndStopAtTheLimit) {
    std::string body;
    for (int i = 0; i < 300000; ++i) body += static_cast<char>('a' + i % 23);
    std::string answer = kOk + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    std::vector<size_t> packets;
    for (size_t i = 4096; i < answer.size(); i += 4096) packets.push_back(i);
    EXPECT_EQ(Parse(answer, packets), Complete(body));

    HttpResponseParser::Limits limits;
    limits.maxBody = 10;
    EXPECT_EQ(Parse(kOk + "Content-Length: 11\r\n\r\nhello world", {}, limits), Failed(Failure::kTooLarge));
    EXPECT_EQ(Parse(kOk + "Content-Length: 10\r\n\r\nhello worl", {}, limits), Complete("hello worl"));
    // Chunks that pass the limit together.
    EXPECT_EQ(Parse(kOk + "Transfer-Encoding: chunked\r\n\r\n6\r\nhello \r\n5\r\nworld\r\n0\r\n\r\n", {}, limits),
              Failed(Failure::kTooLarge));
}

TEST(ResponseParser, AChunkSizeLineWithoutEndIsRefused) {
    std::string answer = kOk + "Transfer-Encoding: chunked\r\n\r\n5" + std::string(5000, ' ');
    EXPECT_EQ(Parse(answer), Failed(Failure::kBadChunk));
}

}  // namespace
}  // namespace qnb::net
