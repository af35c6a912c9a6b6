#include "app/download_address.h"

#include "platform/ascii.h"
#include "platform/sha256.h"

namespace qnb {

DownloadAddress ParseDownloadAddress(std::string_view url) {
    DownloadAddress address;
    size_t hash = url.find('#');
    address.request = std::string(url.substr(0, hash));
    if (hash == std::string_view::npos) return address;
    std::string_view fragment = url.substr(hash + 1);
    while (!fragment.empty()) {
        size_t amp = fragment.find('&');
        std::string_view pair = fragment.substr(0, amp);
        fragment = amp == std::string_view::npos ? std::string_view() : fragment.substr(amp + 1);
        size_t eq = pair.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = pair.substr(0, eq), value = pair.substr(eq + 1);
        if (key == "sha256") {
            if (!IsSha256Hex(value) || !address.sha256.empty()) address.valid = false;
            else address.sha256 = ascii::ToLower(value);
        } else if (key == "size") {
            uint64_t n = 0;
            bool digits = !value.empty() && value.size() <= 19;
            for (char c : value) {
                if (c < '0' || c > '9') digits = false;
                else n = n * 10 + static_cast<uint64_t>(c - '0');
            }
            if (!digits || n == 0 || address.size != 0) address.valid = false;
            else address.size = n;
        }
    }
    return address;
}

std::string AddressWithChecks(std::string_view url, std::string_view sha256, uint64_t size) {
    std::string address(url.substr(0, url.find('#')));
    std::string fragment;
    if (!sha256.empty()) fragment = "sha256=" + ascii::ToLower(sha256);
    if (size > 0) fragment += (fragment.empty() ? "size=" : "&size=") + std::to_string(size);
    return fragment.empty() ? address : address + "#" + fragment;
}

bool AcceptableDownloadUrl(std::string_view url) {
    if (url.size() > kMaxDownloadUrl) return false;
    for (char c : url) {
        if (c < 0x20 || c > 0x7E) return false;
    }
    for (std::string_view scheme : {"http://", "https://"}) {
        if (url.size() > scheme.size() && ascii::StartsWithIgnoringCase(url, scheme)) return true;
    }
    return false;
}

}  // namespace qnb
