// The bounded JSON reader stands between every file and answer from outside
// and the JSON library: any bytes must be read within its limits or be
// refused, without a fault and without an exception escaping.
#include "platform/bounded_json.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Checks the limits on what was read, and reads every value as the program's readers do.
size_t Walk(const Json::Value& value, int depth) {
    if (depth > qnb::json::kMaxDepth) std::abort();
    (void)qnb::json::ToBool(value);
    (void)qnb::json::ToInt(value);
    (void)qnb::json::ToText(value);
    size_t values = 1;
    if (value.isArray() || value.isObject()) {
        for (const Json::Value& member : value) values += Walk(member, depth + 1);
    }
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (auto document = qnb::json::Parse(bytes)) {
        if (Walk(*document, 0) > qnb::json::kMaxValues) std::abort();
    }
    return 0;
}
