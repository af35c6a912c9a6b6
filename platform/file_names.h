// Names of files that come from outside (a URL's last part, the backup
// records, the catalogue) before they become files of the workspace: a
// program that runs elevated never lets them name a device, a stream, a
// folder above, or one of its own files.
#pragma once

#include <string>
#include <string_view>

namespace qnb {

enum class NameProblem {
    kNone,
    kEmpty,
    kDots,               // "." or ".."
    kSeparator,          // "\" or "/": a path, not a name
    kColon,              // a drive or an alternate data stream
    kControl,            // a character below 0x20, or one Windows names cannot hold (<>"|?*)
    kTrailingDotOrBlank, // Windows drops them, so the name is another one
    kDevice,             // CON, PRN, AUX, NUL, COM1..9, LPT1..9 (also with an extension)
    kOwnFile,            // SETTING.JSON, Download.json, QNBReinstaller.exe, the note file, the engine's files
    kTooLong,            // more than kMaxOutsideName bytes
};

constexpr size_t kMaxOutsideName = 200;

// The first thing wrong with name as a file name from outside (UTF-8);
// kNone when it may be used as it is. Names compare as Windows compares
// them, without regard to ASCII case.
NameProblem CheckOutsideName(std::string_view name);
const char* Describe(NameProblem problem);

// name when it passes; otherwise "download-" with 16 hex digits of the
// SHA-256 of seed (so that the same outside name always gets the same
// replacement), followed by name's extension when that is a plain one.
std::string SafeOutsideName(std::string_view name, std::string_view seed);

}  // namespace qnb
