// The record of a prepared start is read back from the workspace folder:
// any bytes parse or are refused without a fault, and what parses writes
// out and reads back the same.
#include "installer/prepared_start.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qnb::installer;
    std::optional<PreparedStart> record =
        ParsePreparedStart(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!record) return 0;
    std::optional<PreparedStart> again = ParsePreparedStart(RenderPreparedStart(*record));
    if (!again || again->mode != record->mode || again->method != record->method || again->time != record->time) {
        std::abort();
    }
    UndoQuestion(*record);
    return 0;
}
