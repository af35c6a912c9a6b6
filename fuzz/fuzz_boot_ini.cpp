// boot.ini comes from the machine: any bytes are rewritten or refused
// without a fault, and a rewrite keeps every byte from the first section
// mark on, between the new head and the new entry.
#include "installer/boot_ini.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view old(reinterpret_cast<const char*>(data), size);
    std::optional<std::string> rewritten = qnb::installer::RewriteBootIni(old, 'C', "TessalyPE");
    size_t mark = old.find(qnb::installer::kOperatingSystemsMark);
    if (rewritten.has_value() != (mark != std::string_view::npos)) std::abort();
    if (!rewritten) return 0;
    const std::string_view head = "[boot loader]\r\ntimeout=3\r\ndefault=C:\\grub.mbr";
    const std::string_view entry = "\r\nC:\\grub.mbr=\"TessalyPE\"";
    const std::string_view tail = old.substr(mark);
    std::string_view result = *rewritten;
    if (result.size() != head.size() + tail.size() + entry.size() || result.substr(0, head.size()) != head ||
        result.substr(head.size(), tail.size()) != tail || result.substr(head.size() + tail.size()) != entry) {
        std::abort();
    }
    return 0;
}
