// What the update thread does after its request: a copy of the program in
// the workspace folder, and a desktop shortcut "Tessaly重装助手" to that copy.
#pragma once

#include "platform/file_system.h"

#include <string>

namespace qnb::net::win32 {

constexpr char kProgramFileName[] = "QNBReinstaller.exe";
constexpr char kShortcutName[] = "Tessaly重装助手";
constexpr char kShortcutDescription[] = "Tessaly重装助手-不用学的快速重装工具";

// The running program's file (GetModuleFileName); empty on failure.
std::string ProgramPath();

// Writes the program into the workspace folder (which ends with a
// backslash) as QNBReinstaller.exe, whole or not at all. Skipped (true)
// when the program already runs from that file. False when it cannot be read
// or written.
bool CopyProgramToWorkspace(FileSystem& files, const std::string& program, const std::string& workspace);

// The desktop folder (CSIDL_DESKTOPDIRECTORY); empty when there is none.
std::string DesktopFolder();

// folder\Tessaly重装助手.lnk to target, replacing an earlier one. COM is
// initialised on the calling thread for the call.
bool CreateProgramShortcut(const std::string& folder, const std::string& target);

// The copy, then the shortcut on the desktop; failures are ignored.
void InstallSelf(FileSystem& files, const std::string& workspace);

}  // namespace qnb::net::win32
