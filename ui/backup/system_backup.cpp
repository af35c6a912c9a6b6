#include "ui/backup/system_backup.h"

#include "platform/folder_tree.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <json/json.h>

namespace qnb::ui {

namespace {
constexpr char kArea[] = "system backup";
}

std::string SystemBackupFolder(const std::string& workspace) {
    return paths::WithTrailingSeparator(paths::Join(workspace, kSystemBackupFolder));
}

std::string PictureFolder(const std::string& workspace) {
    return paths::WithTrailingSeparator(paths::Join(SystemBackupFolder(workspace), kPictureFolder));
}

std::string RenderBackupDescription(const BackupDescription& d) {
    Json::Value root(Json::objectValue);
    root["time"] = std::to_string(d.time);
    root["sysname"] = text::Utf8ToAnsi(d.sysname);
    root["iswow64"] = d.iswow64;
    root["pic"] = text::Utf8ToAnsi(d.pic);
    root["note"] = text::Utf8ToAnsi(d.note);
    // StyledWriter's layout with the ANSI bytes left as they are (it would
    // decode them as UTF-8 and escape them).
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["commentStyle"] = "None";
    builder["emitUTF8"] = true;
    std::string bytes = Json::writeString(builder, root);
    bytes += '\n';
    return text::ToCrLf(bytes);
}

bool WriteBackupDescription(FileSystem& files, AppContext& context, const std::string& picturePath,
                            const std::string& note, int64_t now, Log* log) {
    const std::string workspace = context.WorkspacePath();
    const std::string pictures = PictureFolder(workspace);
    // Neither the folders nor the picture copy are reported: Setting.json decides.
    (void)CreateFolderTree(files, SystemBackupFolder(workspace));
    (void)CreateFolderTree(files, pictures);
    const std::string pictureName(paths::FileName(picturePath));
    if (!picturePath.empty()) {
        Status copied = files.copyFile(picturePath, pictures + pictureName, nullptr, true);
        if (!copied) OrNoLog(log).Failed(kArea, copied.failure());
    }

    BackupDescription description;
    description.time = now;
    description.sysname = context.OsName();
    description.iswow64 = context.Is64();
    description.pic = pictureName;
    description.note = note;
    const std::string path = SystemBackupFolder(workspace) + kDescriptionFile;
    if (!files.writeFile(path, RenderBackupDescription(description))) {
        OrNoLog(log).Write(kArea, path + " could not be written");
        return false;
    }
    context.SetOption(1);
    if (!context.HandoffOnDisk()) {
        // The environment would not know it is to make a backup.
        OrNoLog(log).Failed(kArea, Failure{"save the hand-off file with Option 1", context.WorkspacePath(), 0});
        return false;
    }
    OrNoLog(log).Write(kArea, path + " written, Option 1");
    return true;
}

std::string BackupTimeText(const CivilDate& date) { return "备份时间：" + ChineseDate(date); }

std::string BackupSystemText(const std::string& osName, bool is64) {
    return "系统信息：" + osName + (is64 ? " 64位" : " 32位");
}

bool WindowsOnDrive(FileSystem& files, char letter) {
    return files.access(std::string(1, letter) + ":\\Windows\\system32\\ntdll.dll", FileSystem::kExists);
}

ProcessRequest HandOverRequest() {
    ProcessRequest request;
    request.program = kChangeDeskPath;
    request.hidden = true;
    request.wait = false;
    return request;
}

std::string PictureFileName(int64_t now) { return std::to_string(static_cast<uint64_t>(now)) + ".jpg"; }

}  // namespace qnb::ui
