#include "installer/boot_ini.h"

namespace qnb::installer {

std::string GrubEntryPath(char letter) { return std::string(1, letter) + ":\\grub.mbr"; }

std::optional<std::string> RewriteBootIni(std::string_view old, char letter, std::string_view labelAnsi) {
    size_t mark = old.find(kOperatingSystemsMark);
    if (mark == std::string_view::npos) return std::nullopt;
    const std::string entry = GrubEntryPath(letter);
    std::string result = "[boot loader]\r\ntimeout=3\r\ndefault=" + entry;
    result.append(old.substr(mark));
    result += "\r\n" + entry + "=\"";
    result.append(labelAnsi);
    result += '"';
    return result;
}

}  // namespace qnb::installer
