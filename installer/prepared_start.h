// The record of a prepared start: written to the workspace folder when the
// installer changes the boot configuration, so that the main window can
// offer to take it back ("取消重装准备") and the undo knows what to undo.
// The file is the program's own, but is read as hostile like every file.
#pragma once

#include "installer/pe_install_mode.h"

#include <optional>
#include <string>
#include <string_view>

namespace qnb::installer {

constexpr char kPreparedStartName[] = "PeBoot.json";

enum class BootMethod { kBcdedit, kBootIni };

struct PreparedStart {
    PeInstallMode mode = PeInstallMode::kReinstall;
    BootMethod method = BootMethod::kBcdedit;
    std::string time;  // local time of the change, "2026-12-10 05:20:41"
};

// {"method": "bcdedit"|"boot.ini", "mode": "reinstall"|..., "time": ...},
// three-space indentation, CR LF line ends.
std::string RenderPreparedStart(const PreparedStart& record);
// Nothing when the bytes are not such an object (a mode or method it does
// not know, a value of another type, a time that is not digits and "-:. "
// or is longer than 64 bytes).
std::optional<PreparedStart> ParsePreparedStart(std::string_view bytes);

// The main window's question before the undo, saying what will be undone.
std::string UndoQuestion(const PreparedStart& record);

}  // namespace qnb::installer
