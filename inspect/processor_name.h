// The processor's brand string, as the processor identification
// instruction gives it: extended leaves 0x80000002 to 0x80000004, 16 bytes
// each (EAX, EBX, ECX, EDX), 48 characters ending at the first NUL,
// leading blanks kept.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace qnb::inspect {

using BrandLeaves = std::array<std::array<uint32_t, 4>, 3>;

// The text of the three leaves' registers.
std::string BrandString(const BrandLeaves& leaves);

// This processor's brand string; nothing when it has no such leaves (or is not an x86).
std::optional<std::string> ReadProcessorName();

}  // namespace qnb::inspect
