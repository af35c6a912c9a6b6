// The error list of the user-file backup: "backup_error.txt" in the root of
// the workspace drive, one line per file that could not be copied, in the
// ANSI code page with CR LF, appended so that earlier runs' lines stay.
#pragma once

#include "log/log.h"
#include "platform/file_system.h"

#include <cstdint>
#include <string>

namespace qnb {

constexpr char kBackupErrorFileName[] = "backup_error.txt";

// "D:\backup_error.txt" for a workspace folder on D:; "" without one.
std::string BackupErrorFilePath(const std::string& workspace);

// The path, four blanks, "错误代码:" and the code in decimal, CR LF; in
// the ANSI code page (characters it lacks become '?').
std::string BackupErrorLine(const std::string& path, uint32_t code);

// Appends the line for one failure. When the file cannot be written the
// line is dropped and the failure logged.
Status AppendBackupError(FileSystem& files, const std::string& workspace, const std::string& path, uint32_t code,
                         Log& log);

}  // namespace qnb
