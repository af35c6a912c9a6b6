// Reads the file version from the version resource of a PE file (a DLL or
// an EXE, 32- or 64-bit) without loading it: how the version of a Windows
// installed on another drive is learnt from its ntdll.dll.
#pragma once

#include "platform/bytes.h"

#include <cstdint>
#include <optional>

namespace qnb {

struct FileVersion {
    uint16_t major = 0, minor = 0, build = 0, revision = 0;
};

// VS_FIXEDFILEINFO's file version; nothing when the file is not a PE image,
// has no version resource, or any structure on the way is out of bounds.
std::optional<FileVersion> ReadPeFileVersion(ByteView file);

}  // namespace qnb
