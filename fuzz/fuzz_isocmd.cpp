// isocmd reads its command line and the record of its drives, which lies
// in a file: whatever they hold, parsing stays inside the text.
#include "tools/isocmd/isocmd.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    qnb::isocmd::ParseArguments(qnb::isocmd::ArgumentsOf(text));
    qnb::isocmd::ParseArguments(text);
    qnb::isocmd::FormatRecord(qnb::isocmd::ParseRecord(text));
    return 0;
}
