// Download.json from an earlier run is outside input: any bytes must parse
// or be refused without a fault; what parses renders and parses back alike.
#include "download/download_records.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto entries = qnb::ParseDownloadRecords(std::string_view(reinterpret_cast<const char*>(data), size));
    if (entries.empty()) return 0;
    auto again = qnb::ParseDownloadRecords(qnb::RenderDownloadRecords(entries));
    if (again.size() != entries.size()) std::abort();
    return 0;
}
