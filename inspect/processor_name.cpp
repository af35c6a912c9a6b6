#include "inspect/processor_name.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace qnb::inspect {

std::string BrandString(const BrandLeaves& leaves) {
    std::string text;
    for (const auto& leaf : leaves) {
        for (uint32_t reg : leaf) {
            for (int shift = 0; shift < 32; shift += 8) text.push_back(static_cast<char>((reg >> shift) & 0xFF));
        }
    }
    return text.substr(0, text.find('\0'));
}

std::optional<std::string> ReadProcessorName() {
#if defined(__i386__) || defined(__x86_64__)
    BrandLeaves leaves{};
    for (unsigned i = 0; i < 3; ++i) {
        auto& r = leaves[i];
        // __get_cpuid checks the highest extended leaf first.
        if (!__get_cpuid(0x80000002u + i, &r[0], &r[1], &r[2], &r[3])) return std::nullopt;
    }
    return BrandString(leaves);
#else
    return std::nullopt;
#endif
}

}  // namespace qnb::inspect
