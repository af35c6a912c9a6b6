// The head of a server's answer, read straight from a socket: any bytes
// must parse or be refused without a fault, and a parsed head lies inside
// the bytes.
#include "engine/http_head.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    qnb::engine::HttpHead head;
    if (qnb::engine::ParseHttpHead(bytes, &head) == qnb::engine::HeadParse::kComplete) {
        if (head.size > size || head.size > qnb::engine::kMaxHeadSize) std::abort();
        if (head.status < 0 || head.status > 999) std::abort();
    }
    return 0;
}
