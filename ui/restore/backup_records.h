// The backup records (Record.json in the workspace's 系统备份 folder),
// written by the preinstallation environment after each backup and only
// read here: the records, their list texts with the numbering of backups
// of one day, and what the restore window shows of the selected one.
#pragma once

#include "platform/file_system.h"
#include "ui/backup/local_date.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qnb::ui {

// One backup, its texts as UTF-8.
struct BackupRecord {
    std::string time;  // seconds since 1970 (UTC), decimal
    std::string sys;   // the backed-up Windows
    std::string note;  // the user's description
    std::string pic;   // the desktop picture in Picture\ (a file name)
    std::string file;  // the image in 系统备份\ (a file name)
};

// Record.json's bytes (ANSI texts, comments allowed): the elements of its
// "list", in order. An element that is not an object with the five keys
// as strings is left out; the others stay. No records when the bytes do
// not parse or "list" is not an array.
std::vector<BackupRecord> ParseBackupRecords(std::string_view bytes);

// Record.json of the workspace read and parsed; no records when it is
// missing, unreadable or larger than kLargestRecordFile.
constexpr uint64_t kLargestRecordFile = 1 << 20;
std::vector<BackupRecord> LoadBackupRecords(FileSystem& files, const std::string& workspace);

// The day of a time in UTC+8: (t + 28800) / 86400.
int64_t DayNumberUtc8(int64_t seconds);

// The list's texts: the local date of each record, and " (n)" when it
// falls on the same UTC+8 day as the entry just before it (n counts from
// 1 within a run of one day; only the previous entry is compared).
std::vector<std::string> BackupRowTexts(const std::vector<BackupRecord>& records, const LocalDateOf& localDate);

// A name that stays inside its folder: not empty, no separator or drive
// colon, not "." or "..", no trailing dot or blank, no control character
// and no device name (CON, NUL, COM1, ...). A record whose file or picture
// is anything else counts as missing.
bool IsPlainFileName(std::string_view name);

// "镜像大小：%0.1fGB" above 1073741824 bytes, else "镜像大小：%0.1fMB".
std::string ImageSizeText(uint64_t size);

// What the restore window shows of the selected backup.
struct BackupView {
    bool found = false;         // the image is there (not empty)
    std::string sizeText;       // restore_backup_size
    std::string systemText;     // restore_backup_system
    std::string picture;        // btn_desktopimage's background: a path, or ""
    std::string note;           // edit_backupinfo
};
// The image's size is looked up in the 系统备份 folder (0 when it cannot
// be had, or the name is not a plain file name).
BackupView ViewOfBackup(const BackupRecord& record, FileSystem& files, const std::string& workspace);
// The image's full path, or "" for a name that is not a plain file name.
std::string ImagePathOf(const BackupRecord& record, const std::string& workspace);

// Texts of the restore window.
constexpr char kRestoreErrorCaption[] = "错误";
constexpr char kNoBackupsText[] = "未找到备份的镜像，请先备份系统！";
constexpr char kImageMissingText[] = "程序无法找到您选择的镜像！";
constexpr char kChooseBackupText[] = "请选择一个备份！";
constexpr char kUnknownSizeText[] = "镜像大小：?";
constexpr char kUnknownSystemText[] = "系统版本：?";

}  // namespace qnb::ui
