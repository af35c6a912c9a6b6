// The system backup's own rules, apart from its window: the folder of the
// backups in the workspace, the description file Setting.json that the
// preinstallation environment reads before it makes the image, the texts
// of the window's first page, and the hand-over to the environment's own
// program inside it.
#pragma once

#include "app/app_context.h"
#include "log/log.h"
#include "platform/file_system.h"
#include "platform/process_port.h"
#include "ui/backup/local_date.h"

#include <cstdint>
#include <string>

namespace qnb::ui {

// {workspace}\系统备份\ holds Setting.json, Record.json and the images;
// its Picture\ the desktop pictures.
constexpr char kSystemBackupFolder[] = "系统备份";
constexpr char kPictureFolder[] = "Picture";
constexpr char kDescriptionFile[] = "Setting.json";
constexpr char kRecordFile[] = "Record.json";

// "{workspace}\系统备份\" and "{workspace}\系统备份\Picture\".
std::string SystemBackupFolder(const std::string& workspace);
std::string PictureFolder(const std::string& workspace);

// A pending backup, as Setting.json holds it. Texts are UTF-8 here.
struct BackupDescription {
    int64_t time = 0;     // "time": seconds since 1970 (UTC), as a decimal text
    std::string sysname;  // "sysname": "Windows 7"
    bool iswow64 = false; // "iswow64": the Windows is 64-bit
    std::string pic;      // "pic": the desktop picture's file name, "" without one
    std::string note;     // "note": the user's description, as typed
};

// The file's bytes: jsoncpp's styled layout (three-space indentation, keys
// in byte order, CR LF line ends, as a file written in text mode), texts
// as raw ANSI bytes.
std::string RenderBackupDescription(const BackupDescription& description);

// The finishing step's files (on any thread): the two folders, the
// picture copied into Picture\ (when there is one; the copy's outcome does
// not matter), Setting.json written whole or not at all, and then Option 1
// in SETTING.JSON. False when Setting.json could not be written: nothing
// else happens then.
bool WriteBackupDescription(FileSystem& files, AppContext& context, const std::string& picturePath,
                            const std::string& note, int64_t now, Log* log = nullptr);

// Page 0: "备份时间：2016年05月03日" and "系统信息：Windows 7 64位".
std::string BackupTimeText(const CivilDate& date);
std::string BackupSystemText(const std::string& osName, bool is64);

// Inside the preinstallation environment: a Windows is on the system
// drive when "%c:\Windows\system32\ntdll.dll" exists.
bool WindowsOnDrive(FileSystem& files, char letter);
constexpr char kNoWindowsCaption[] = "错误";
constexpr char kNoWindowsText[] = "硬盘中未发现系统，无法继续。";

// The environment's own program, which takes over once the choice is
// written: opened hidden, not waited for.
constexpr char kChangeDeskPath[] = "X:\\windows\\changeDesk.exe";
ProcessRequest HandOverRequest();

// The desktop picture's name in the temporary folder: "%I64u.jpg" of the time.
std::string PictureFileName(int64_t now);

// Texts of the window.
constexpr char kQuitCaption[] = "退出？";
constexpr char kQuitText[] = "是否退出？";
constexpr char kBackupAfterRestartText[] = "备份操作将在重启后继续!";
constexpr char kBackupRestartCaption[] = "重启提示";
constexpr char kBackupRestartQuestion[] = "准备工作进行完成\r\n是否立即重启，并开始备份";

}  // namespace qnb::ui
