// The address of a download as the service hands it out: a URL whose
// fragment may carry what the file must be ("#sha256=HEX", "&size=N").
// The fragment never goes on the wire; the download manager checks the
// file against it before the download counts as complete.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qnb {

constexpr size_t kMaxDownloadUrl = 2047;

struct DownloadAddress {
    std::string request;  // the URL without its fragment: what is asked for
    std::string sha256;   // lower-case hex; "" when the address names none
    uint64_t size = 0;    // bytes; 0 when the address names none
    // False when the fragment names a hash or a size that is none (a hash of
    // other than 64 hex digits, a size that is no decimal number).
    bool valid = true;
};

// A fragment of other keys (or none) is no part of the checks and is cut
// like any fragment.
DownloadAddress ParseDownloadAddress(std::string_view url);

// url (its own fragment cut) with the checks in its fragment; url alone
// when there are none.
std::string AddressWithChecks(std::string_view url, std::string_view sha256, uint64_t size);

// An address the program may download from: "http://" or "https://"
// followed by more, printable ASCII only (0x20..0x7E), at most 2,047
// characters.
bool AcceptableDownloadUrl(std::string_view url);

}  // namespace qnb
