// Drive layout and descriptor answers hold counts and offsets; decoding and
// applying them must stay within the answer whatever they say.
#include "app/disk_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qnb::ByteView answer(data, size);
    for (auto layout : {qnb::disk::DecodeDriveLayoutEx(answer), qnb::disk::DecodeDriveLayout(answer)}) {
        if (!layout) continue;
        qnb::DiskInfo disk;
        disk.ApplyLayout(*layout);
        disk.LargestDataPartition();
        disk.BootPartition();
    }
    if (auto descriptor = qnb::disk::DecodeDeviceDescriptor(answer)) {
        qnb::DiskInfo disk;
        disk.ApplyDescriptor(*descriptor);
    }
    return 0;
}
