// Download.json in the workspace folder: the downloads that completed, so
// that a later run does not fetch an image again. Its texts are in the ANSI
// code page; the file comes from an earlier run and is read as hostile.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qnb {

constexpr char kDownloadRecordsName[] = "Download.json";

struct CompletedDownload {
    std::string url;     // UTF-8 here
    std::string file;    // full save path
    std::string sha256;  // the verified hash (lower-case hex); "" when the service gave none
    uint64_t size = 0;   // bytes of the complete file; 0 in files of earlier versions
};

// {"count": n, "list": [{"url": .., "file": .., "sha256": .., "size": ..}, ..]}
// in jsoncpp's styled layout (three-space indentation), texts as raw ANSI
// bytes, CR LF line ends; "sha256" and "size" only when known.
std::string RenderDownloadRecords(const std::vector<CompletedDownload>& done);

// The entries of a file, in file order. Entries beyond "count" or beyond
// the list, and entries whose "url" or "file" is not a non-empty string,
// whose "file" is not a drive path ("X:\...") of at most 259 characters, or
// whose "sha256" or "size" is present but no hash or byte count, are left
// out. Nothing when the bytes pass the bounded reader's limits or do not
// parse as such an object.
std::vector<CompletedDownload> ParseDownloadRecords(std::string_view bytes);

}  // namespace qnb
