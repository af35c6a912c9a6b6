// SETTING.JSON from an earlier run is outside input: any bytes must parse
// or be refused without a fault.
#include "app/handoff_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qnb::HandoffValues values;
    if (qnb::ApplyEarlierHandoff(std::string_view(reinterpret_cast<const char*>(data), size), values)) {
        qnb::RenderHandoff(values);
    }
    return 0;
}
