// An installed system's ntdll.dll is read without loading it: any bytes
// must yield a version or nothing, never a fault.
#include "app/pe_version.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qnb::ReadPeFileVersion(qnb::ByteView(data, size));
    return 0;
}
