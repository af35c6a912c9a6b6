// ANSI conversions off Windows: the native builds stand in for a Chinese
// Windows, whose ANSI code page is GBK (936).
#include "platform/text.h"

#include <iconv.h>

#include <cerrno>

namespace qnb::text {

namespace {

std::string Convert(const char* to, const char* from, std::string_view input) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, outPtr - buffer);
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            // An unconvertible or broken sequence: one '?' for it, then go on.
            out += '?';
            ++in;
            --inLeft;
            while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80 &&
                   std::string_view(from) == "UTF-8") {
                ++in;
                --inLeft;
            }
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string Utf8ToAnsi(std::string_view utf8) { return Convert("GBK", "UTF-8", utf8); }
std::string AnsiToUtf8(std::string_view ansi) { return Convert("UTF-8", "GBK", ansi); }

}  // namespace qnb::text
