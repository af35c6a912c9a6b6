// HTTP answers come from the network: any bytes, cut into packets anywhere,
// must give a body or a failure without a fault, and the same outcome
// however the packets fall.
//
// Input: one byte n (cuts = n % 8), then that many bytes of cut positions
// (each a distance from the previous cut), then the answer.
#include "net/http_response_parser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

struct Outcome {
    qnb::net::HttpResponseParser::State state;
    qnb::net::HttpResponseParser::Failure failure;
    std::string body;
};

Outcome Parse(const char* answer, size_t size, const std::vector<size_t>& cuts) {
    qnb::net::HttpResponseParser::Limits limits;
    limits.maxHeader = 512;  // small limits, so that their edges are reached
    limits.maxBody = 4096;
    qnb::net::HttpResponseParser parser(limits);
    size_t from = 0;
    for (size_t cut : cuts) {
        parser.Feed(answer + from, cut - from);
        from = cut;
    }
    parser.Feed(answer + from, size - from);
    parser.Finish();
    return {parser.state(), parser.failure(), parser.body()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    size_t count = data[0] % 8;
    if (size < 1 + count) return 0;
    const char* answer = reinterpret_cast<const char*>(data + 1 + count);
    size_t answerSize = size - 1 - count;
    std::vector<size_t> cuts;
    size_t at = 0;
    for (size_t i = 0; i < count; ++i) {
        at += data[1 + i];
        if (at > answerSize) break;
        cuts.push_back(at);
    }
    Outcome whole = Parse(answer, answerSize, {});
    Outcome split = Parse(answer, answerSize, cuts);
    if (whole.state != split.state || whole.failure != split.failure || whole.body != split.body) std::abort();
    return 0;
}
