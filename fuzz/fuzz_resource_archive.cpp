// The payload archive comes from the program's own resource, yet its reader
// treats every count and size in it as hostile: any bytes must load fully,
// partly or not at all, and never fault.
#include "payload/resource_archive.h"

#include "platform/fake/memory_file_system.h"
#include "platform/text.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Extractions land here: folders are made in memory, every byte written is
// read and dropped.
class DiscardingFiles : public qnb::fake::MemoryFileSystem {
public:
    bool writeFile(const std::string&, std::string_view data) override {
        for (char c : data) checksum += static_cast<uint8_t>(c);
        return true;
    }

    uint64_t checksum = 0;
};

uint32_t Crc32(const uint8_t* p, size_t n) {
    uint32_t crc = 0xFFFFFFFF;
    while (n--) {
        crc ^= *p++;
        for (int k = 0; k < 8; ++k) crc = crc >> 1 ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> 8 * i);
}

// The start header and the header carry CRCs that almost every mutation
// breaks; putting them right lets the mutations reach the header parser
// and the decoders. (Wrong CRCs are refused; the unit tests cover that.)
void FixChecksums(std::vector<uint8_t>& a) {
    if (a.size() < 32) return;
    uint64_t offset, size;
    std::memcpy(&offset, a.data() + 12, 8);
    std::memcpy(&size, a.data() + 20, 8);
    if (offset <= a.size() - 32 && size <= a.size() - 32 - offset) {
        PutLe32(a.data() + 28, Crc32(a.data() + 32 + offset, static_cast<size_t>(size)));
    }
    PutLe32(a.data() + 8, Crc32(a.data() + 12, 20));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    FixChecksums(bytes);
    DiscardingFiles files;
    qnb::CResourceArchive archive(files);
    if (!archive.LoadFromMemory(bytes.data(), bytes.size())) return 0;
    for (const qnb::CResourceArchive::Listing& entry : archive.List()) {
        archive.ExtractFile(entry.name, "C:\\out\\" + entry.name);
    }
    return 0;
}
