// The service's catalogue and update answers are outside input: any bytes
// must parse or be refused without a fault.
#include "net/service_answers.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view body(reinterpret_cast<const char*>(data), size);
    if (auto catalogue = qnb::net::ParseCatalogue(body, 64)) {
        if (catalogue->entries.empty()) std::abort();  // an answer without entries counts as failed
    }
    qnb::UpdateInfo info;
    qnb::net::ParseUpdate(body, &info);
    return 0;
}
