#include "download/file_hash.h"

#include "platform/error_codes.h"
#include "platform/sha256.h"

#include <vector>

namespace qnb {

Result<std::string> FileSha256(FileSystem& files, const std::string& path, const StopToken& stop) {
    auto reader = files.openRead(path);
    if (!reader) return reader.failure();
    Sha256 hash;
    std::vector<char> buffer(1u << 20);
    for (;;) {
        if (stop.StopRequested()) return Failure{"hash file", path, errors::kRequestAborted};
        Result<size_t> n = (*reader)->Read(buffer.data(), buffer.size());
        if (!n) return n.failure();
        if (*n == 0) break;
        hash.Update(buffer.data(), *n);
    }
    return HexDigest(hash.Finish());
}

}  // namespace qnb
