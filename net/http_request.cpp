#include "net/http_request.h"

namespace qnb::net {

namespace {

bool SafeInRequest(std::string_view text) {
    for (char c : text) {
        unsigned char b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7F) return false;
    }
    return true;
}

}  // namespace

std::string BuildGetRequest(std::string_view path, std::string_view host, std::string_view parameters) {
    if (path.empty() || !SafeInRequest(path) || !SafeInRequest(host) || !SafeInRequest(parameters)) return {};
    std::string text = "GET ";
    text += path;
    if (!parameters.empty()) {
        text += path.find('?') == std::string_view::npos ? '?' : '&';
        if (parameters.front() == '?' || parameters.front() == '&') parameters.remove_prefix(1);
        text += parameters;
    }
    text += " HTTP/1.1\r\nHost: ";
    text += host;
    text += "\r\nConnection: Close\r\nUser-Agent: ";
    text += kUserAgent;
    text += "\r\n\r\n";
    return text;
}

std::string EncodeQueryValue(std::string_view value) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : value) {
        unsigned char b = static_cast<unsigned char>(c);
        bool plain = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' ||
                     b == '.' || b == '_' || b == '~';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

}  // namespace qnb::net
