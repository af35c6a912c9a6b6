// The range and length headers of a server's answers decide where received
// bytes are written: any header text must parse to a consistent range or be
// refused.
#include "engine/transport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (auto range = qnb::engine::ParseContentRange(text)) {
        if (range->last < range->first) std::abort();
        if (range->total && range->last >= *range->total) std::abort();
    }
    qnb::engine::ParseContentLength(text);
    return 0;
}
