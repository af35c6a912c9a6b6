// The texts of the user-file backup that its window shows.
#pragma once

#include <string>

namespace qnb {

// backup_task before the backup has said anything.
constexpr char kNoBackupTaskText[] = "无备份任务！";
// The status while a local image is copied into the workspace folder.
constexpr char kImageTransferText[] = "正在转移镜像...";
// backup_task once the backup has finished.
constexpr char kBackupDoneText[] = "资料备份完成";

// backup_error: "%d个文件备份出错".
inline std::string BackupErrorCountText(int count) { return std::to_string(count) + "个文件备份出错"; }

}  // namespace qnb
