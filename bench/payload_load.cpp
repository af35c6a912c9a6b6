// Loads a payload archive once, as each consumer of the program does, and
// exits. bench/run.py measures the process: its time against 7zz unpacking
// the same archive, and its peak memory against the unpacked size.
//
//   payload_load ARCHIVE
#include "payload/resource_archive.h"
#include "platform/posix/host_file_system.h"

#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: payload_load ARCHIVE\n", stderr);
        return 2;
    }
    // One allocation of the file's size, as a resource has.
    std::ifstream in(argv[1], std::ios::binary | std::ios::ate);
    std::string bytes(in ? static_cast<size_t>(in.tellg()) : 0, '\0');
    in.seekg(0);
    if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    qnb::HostFileSystem files;
    qnb::CResourceArchive archive(files);
    if (!archive.LoadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())) {
        std::fprintf(stderr, "%s does not open\n", argv[1]);
        return 1;
    }
    unsigned long long total = 0;
    for (const qnb::ArchiveEntry& e : archive.Entries()) total += e.size;
    std::printf("%zu entries, %llu bytes\n", archive.Entries().size(), total);
    return 0;
}
