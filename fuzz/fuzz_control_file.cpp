// The control file beside a partial download is read back from a folder
// other programs can write: any bytes must decode or be refused without a
// fault, and what decodes must make a sound plan.
#include "engine/control_file.h"
#include "engine/segment_plan.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto state = qnb::engine::DecodeControl(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!state) return 0;
    // What decodes encodes to the same bytes, and its ranges fit the file.
    if (qnb::engine::EncodeControl(*state) != std::string_view(reinterpret_cast<const char*>(data), size)) std::abort();
    qnb::engine::SegmentPlan plan(state->total, state->remaining, 1 << 20);
    if (plan.Done() > state->total) std::abort();
    while (auto id = plan.Take(64 << 20)) plan.Advance(*id, plan.Current(*id).size());
    if (!plan.Complete()) std::abort();
    return 0;
}
