// The XP boot menu: boot.ini rewritten so that the machine starts GRUB4DOS
// (grub.mbr) by default once, three seconds after the menu shows. A pure
// function of the old bytes; the file's text is in the ANSI code page and
// passes through unchanged.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qnb::installer {

constexpr char kOperatingSystemsMark[] = "\r\n[operating systems]";

// The new boot.ini: "[boot loader]\r\ntimeout=3\r\ndefault=C:\grub.mbr", then
// the old text from its first "\r\n[operating systems]" (exact case) to its
// end, then "\r\nC:\grub.mbr=\"label\"". The old [boot loader] section is
// dropped. Nothing when the old text has no such section: the file is then
// left as it is. labelAnsi is the entry's label in the ANSI code page.
std::optional<std::string> RewriteBootIni(std::string_view old, char letter, std::string_view labelAnsi);

// "C:\grub.mbr": what the new default and the new entry start.
std::string GrubEntryPath(char letter);

}  // namespace qnb::installer
