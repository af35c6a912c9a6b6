#include "filebackup/qq_folder.h"

#include "filebackup/ini_file.h"
#include "platform/ascii.h"
#include "platform/paths.h"

namespace qnb {

namespace {

constexpr char kArea[] = "backup";

bool InsideFolder(const std::string& path, const std::string& folder) {
    // Windows names: the workspace "D:\Quenbrook\Data\" holds "d:\quenbrook\data\qq" too.
    const std::string prefix = paths::WithTrailingSeparator(folder);
    return ascii::StartsWithIgnoringCase(path, prefix) ||
           ascii::EqualsIgnoringCase(path, paths::WithoutTrailingSeparator(folder));
}

}  // namespace

QqFolder FindQqFolder(FileSystem& files, ShellFolderPort& shellFolders, RegistryPort& registry,
                      const std::string& workspace, Log& log) {
    QqFolder found;
    int type = 0;
    std::string path;
    if (Result<std::string> shared = shellFolders.Path(ShellFolder::kCommonDocuments)) {
        if (std::optional<std::string> bytes = files.readFile(paths::Join(*shared, kQqSettingsFile))) {
            IniFile settings(*bytes);
            type = settings.Number("UserDataSet", "UserDataSavePathType", 0);
            path = settings.Text("UserDataSet", "UserDataSavePath").value_or("");
        }
    } else {
        log.Failed(kArea, shared.failure());
    }

    if (!path.empty()) {
        if (path.back() == '\\') path.pop_back();
    } else if (type == 0) {
        // An install without the "Install" value still names the folder the copy would be in.
        Status opened = registry.OpenKey(RegistryRoot::kLocalMachine, kQqRegistryKey);
        if (opened) {
            Result<std::string> install = registry.ReadString(RegistryRoot::kLocalMachine, kQqRegistryKey, "Install");
            if (install) {
                path = paths::Join(paths::WithoutTrailingSeparator(*install), "Users");
            } else {
                log.Failed(kArea, install.failure());
            }
            found.logFolder = "Users";
        } else {
            log.Failed(kArea, opened.failure());
        }
    } else if (type == 1) {
        if (Result<std::string> documents = shellFolders.Path(ShellFolder::kDocuments)) {
            path = paths::Join(*documents, "Tencent Files");
            found.logFolder = "Tencent Files";
        } else {
            log.Failed(kArea, documents.failure());
        }
    }

    if (path.empty()) return found;
    path = std::string(paths::WithoutTrailingSeparator(path));
    if (!workspace.empty() && InsideFolder(path, workspace)) {
        log.Write(kArea, "the QQ folder lies in the workspace folder: " + path);
        return found;
    }
    found.path = path;
    if (path.find('\\') != std::string::npos) found.logFolder = std::string(paths::FileName(path));
    return found;
}

}  // namespace qnb
