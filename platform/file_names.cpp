#include "platform/file_names.h"

#include "platform/ascii.h"
#include "platform/sha256.h"

namespace qnb {

namespace {

// The program's own files in the workspace folder and beside it.
constexpr std::string_view kOwnNames[] = {
    "SETTING.JSON", "Download.json", "QNBReinstaller.exe",
    "\xE8\xAF\xB7\xE5\x8B\xBF\xE5\x88\xA0\xE9\x99\xA4\xEF\xBC\x81\xE5\x85\xB3\xE4\xBA\x8E\xE6\x9C\xAC\xE6\x96\x87"
    "\xE4\xBB\xB6\xE5\xA4\xB9\xE7\x9A\x84\xE8\xAF\xB4\xE6\x98\x8E.txt",  // 请勿删除！关于本文件夹的说明.txt
};
// What the download engine keeps beside a download.
constexpr std::string_view kOwnSuffixes[] = {".qnbdl", ".qnbdl.ctl"};

bool IsDevice(std::string_view name) {
    // The part before the first dot, without the blanks Windows drops.
    std::string_view base = ascii::TrimEnd(name.substr(0, name.find('.')), " ");
    for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"}) {
        if (ascii::EqualsIgnoringCase(base, device)) return true;
    }
    if (base.size() < 4) return false;
    std::string_view stem = base.substr(0, 3), number = base.substr(3);
    if (!ascii::EqualsIgnoringCase(stem, "COM") && !ascii::EqualsIgnoringCase(stem, "LPT")) return false;
    // COM1..COM9, and the superscript digits ¹ ² ³ Windows takes as well.
    return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

}  // namespace

NameProblem CheckOutsideName(std::string_view name) {
    if (name.empty()) return NameProblem::kEmpty;
    if (name == "." || name == "..") return NameProblem::kDots;
    if (name.size() > kMaxOutsideName) return NameProblem::kTooLong;
    for (char c : name) {
        if (c == '\\' || c == '/') return NameProblem::kSeparator;
        if (c == ':') return NameProblem::kColon;
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>\"|?*").find(c) != std::string_view::npos)
            return NameProblem::kControl;
    }
    if (name.back() == '.' || name.back() == ' ') return NameProblem::kTrailingDotOrBlank;
    if (IsDevice(name)) return NameProblem::kDevice;
    for (std::string_view own : kOwnNames) {
        if (ascii::EqualsIgnoringCase(name, own)) return NameProblem::kOwnFile;
    }
    for (std::string_view suffix : kOwnSuffixes) {
        if (name.size() >= suffix.size() &&
            ascii::EqualsIgnoringCase(name.substr(name.size() - suffix.size()), suffix))
            return NameProblem::kOwnFile;
    }
    return NameProblem::kNone;
}

const char* Describe(NameProblem problem) {
    switch (problem) {
    case NameProblem::kNone: return "a name";
    case NameProblem::kEmpty: return "an empty name";
    case NameProblem::kDots: return "a folder, not a name";
    case NameProblem::kSeparator: return "a path, not a name";
    case NameProblem::kColon: return "a drive or a stream";
    case NameProblem::kControl: return "characters no file name holds";
    case NameProblem::kTrailingDotOrBlank: return "a dot or blank at the end";
    case NameProblem::kDevice: return "a device";
    case NameProblem::kOwnFile: return "one of the program's own files";
    case NameProblem::kTooLong: return "too long a name";
    }
    return "an unusable name";
}

std::string SafeOutsideName(std::string_view name, std::string_view seed) {
    if (CheckOutsideName(name) == NameProblem::kNone) return std::string(name);
    std::string safe = "download-" + Sha256Hex(seed).substr(0, 16);
    size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0) {
        std::string_view extension = name.substr(dot + 1);
        bool plain = !extension.empty() && extension.size() <= 8;
        for (char c : extension) plain = plain && ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
        // "a.qnbdl" would still be the engine's: it keeps no extension.
        if (plain && !ascii::EqualsIgnoringCase(extension, "qnbdl") && !ascii::EqualsIgnoringCase(extension, "ctl"))
            safe += "." + std::string(extension);
    }
    return safe;
}

}  // namespace qnb
