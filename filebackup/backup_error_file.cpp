#include "filebackup/backup_error_file.h"

#include "platform/text.h"

namespace qnb {

std::string BackupErrorFilePath(const std::string& workspace) {
    if (workspace.empty()) return "";
    return workspace.substr(0, 1) + ":\\" + kBackupErrorFileName;
}

std::string BackupErrorLine(const std::string& path, uint32_t code) {
    // "%d": a code with its high bit set (an HRESULT) shows negative, as printf gives it.
    return text::Utf8ToAnsi(path + "    错误代码:" + std::to_string(static_cast<int32_t>(code))) + "\r\n";
}

Status AppendBackupError(FileSystem& files, const std::string& workspace, const std::string& path, uint32_t code,
                         Log& log) {
    std::string file = BackupErrorFilePath(workspace);
    if (file.empty()) return Failure{"append to file", kBackupErrorFileName, 0};
    Status appended = files.appendFile(file, BackupErrorLine(path, code));
    if (!appended) log.Failed("backup", appended.failure());
    return appended;
}

}  // namespace qnb
