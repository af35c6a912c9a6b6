#include "filebackup/file_backup.h"

#include "platform/ascii.h"
#include "platform/error_codes.h"
#include "platform/folder_tree.h"
#include "platform/paths.h"

#include <utility>

namespace qnb {

namespace {

constexpr char kArea[] = "backup";

// How a folder is compared: lower case, without a trailing backslash.
std::string Key(std::string_view path) { return ascii::ToLower(paths::WithoutTrailingSeparator(path)); }

bool Hidden(const std::string& name) { return name.empty() || name[0] == '.'; }

// "IMG_0001.jpg" with n = 2: "IMG_0001(2).jpg".
std::string Numbered(const std::string& name, int n) {
    const std::string mark = "(" + std::to_string(n) + ")";
    size_t dot = name.rfind('.');
    if (dot == std::string::npos) return name + mark;
    return name.substr(0, dot) + mark + name.substr(dot);
}

}  // namespace

CFileBackup::CFileBackup(FileSystem& files, BackupReporter& reporter, Log& log, StopToken stop, int maxNumberedNames)
    : files_(files), reporter_(reporter), log_(log), stop_(std::move(stop)), maxNumberedNames_(maxNumberedNames) {}

void CFileBackup::SetBackupRoot(const std::string& path) {
    CreateFolderPath(path);
    backupRoot_ = std::string(paths::WithoutTrailingSeparator(path));
}

void CFileBackup::SetWorkspace(const std::string& path) { workspaceKey_ = Key(path); }

void CFileBackup::AddExcludedFolder(const std::string& path) { excluded_.push_front(Key(path)); }

void CFileBackup::AddWholeFolder(const std::string& path) {
    whole_.push_front({Key(path), std::string(paths::WithoutTrailingSeparator(path))});
}

void CFileBackup::AddCategory(const std::string& extensions, const std::string& name) {
    categories_.push_front({"|" + ascii::ToLower(extensions), name});
    CreateFolderPath(paths::Join(backupRoot_, name));
}

std::vector<std::string> CFileBackup::WholeFolders() const {
    std::vector<std::string> keys;
    for (const WholeFolder& folder : whole_) keys.push_back(folder.key);
    return keys;
}

void CFileBackup::CreateFolderPath(const std::string& path) {
    Status made = CreateFolderTree(files_, path);
    if (!made) log_.Failed(kArea, made.failure());
}

const CFileBackup::Category* CFileBackup::CategoryOf(std::string_view fileName) const {
    std::string_view extension = paths::Extension(fileName);
    if (extension.empty()) return nullptr;
    const std::string entry = "|" + ascii::ToLower(extension) + "|";
    for (const Category& category : categories_) {
        if (category.extensions.find(entry) != std::string::npos) return &category;
    }
    return nullptr;
}

std::optional<std::string> CFileBackup::FindCategory(std::string_view fileName) const {
    const Category* category = CategoryOf(fileName);
    if (!category) return std::nullopt;
    return category->name;
}

bool CFileBackup::IsListedFolder(const std::string& path) const {
    const std::string key = Key(path);
    for (const std::string& excluded : excluded_) {
        if (excluded == key) return true;
    }
    for (const WholeFolder& folder : whole_) {
        if (folder.key == key) return true;
    }
    return false;
}

bool CFileBackup::NeverEntered(const std::string& folder) const {
    const std::string key = Key(folder);
    return (!workspaceKey_.empty() && key == workspaceKey_) || (!backupRoot_.empty() && key == Key(backupRoot_));
}

bool CFileBackup::InsideWorkspace(const std::string& path) const {
    if (workspaceKey_.empty()) return false;
    const std::string key = Key(path);
    return key == workspaceKey_ || ascii::StartsWithIgnoringCase(key, workspaceKey_ + "\\");
}

void CFileBackup::Report(const Failure& failure, const std::string& path) {
    log_.Failed(kArea, failure);
    if (!stop_.StopRequested()) reporter_.FileError(path, failure.code);
}

bool CFileBackup::Copy(const std::string& from, const std::string& to, bool replace, Status* status) {
    *status = files_.copyFile(
        from, to, [this](uint64_t, uint64_t) { return !stop_.StopRequested(); }, replace);
    return status->ok();
}

void CFileBackup::CopyWholeFolders() {
    for (const WholeFolder& folder : whole_) {
        if (stop_.StopRequested()) return;
        // A drive root has no last component: its copy is named after the drive.
        const bool driveRoot = folder.key.size() == 2 && folder.key[1] == ':';
        const std::string name = driveRoot ? std::string(1, ascii::ToUpper(folder.key[0])) + "盘"
                                           : std::string(paths::FileName(folder.key));
        if (name.empty()) continue;
        if (InsideWorkspace(folder.path)) {
            log_.Write(kArea, "not copied, it lies in the workspace folder: " + folder.path);
            continue;
        }
        CopyTree(folder.path, paths::Join(backupRoot_, name), driveRoot);
    }
}

void CFileBackup::CopyFolder(const std::string& source, const std::string& destination) {
    CopyTree(std::string(paths::WithoutTrailingSeparator(source)),
             std::string(paths::WithoutTrailingSeparator(destination)), false);
}

void CFileBackup::Walk(const std::string& root,
                       const std::function<bool(const std::string& path, const DirectoryEntry& entry)>& visit) {
    // Depth first without recursion: a deep tree costs heap, never the thread's stack.
    struct Frame {
        std::string folder;
        std::vector<DirectoryEntry> entries;
        size_t next = 0;
    };
    std::vector<Frame> stack;
    auto enter = [&](std::string folder) {
        Result<std::vector<DirectoryEntry>> listed = files_.listFolder(folder);
        if (!listed) {
            log_.Failed(kArea, listed.failure());
            return;
        }
        stack.push_back({std::move(folder), std::move(*listed)});
    };
    enter(root);
    while (!stack.empty() && !stop_.StopRequested()) {
        Frame& top = stack.back();
        if (top.next == top.entries.size()) {
            stack.pop_back();
            continue;
        }
        const DirectoryEntry entry = std::move(top.entries[top.next++]);
        if (Hidden(entry.name)) continue;
        std::string path = paths::Join(top.folder, entry.name);
        if (visit(path, entry) && (entry.attributes & kFileAttributeDirectory)) enter(std::move(path));
    }
}

void CFileBackup::CopyTree(const std::string& source, const std::string& destination, bool exclusions) {
    // Every path below source has its place at the same relative path below destination.
    auto target = [&](const std::string& from) {
        std::string_view relative = std::string_view(from).substr(source.size());
        while (!relative.empty() && relative.front() == '\\') relative.remove_prefix(1);
        return paths::Join(destination, relative);
    };
    CreateFolderPath(destination);
    Walk(source, [&](const std::string& from, const DirectoryEntry& entry) {
        if (entry.attributes & kFileAttributeDirectory) {
            if (IsLink(entry)) {
                log_.Write(kArea, "link not followed: " + from);
                return false;
            }
            if (NeverEntered(from) || (exclusions && IsListedFolder(from))) return false;
            CreateFolderPath(target(from));
            return true;
        }
        reporter_.Status(from);
        Status copied;
        if (!Copy(from, target(from), true, &copied)) Report(copied.failure(), from);
        return false;
    });
}

void CFileBackup::BackupByCategory(const std::string& drive) {
    const std::string root(paths::WithoutTrailingSeparator(drive));
    Walk(root, [&](const std::string& path, const DirectoryEntry& entry) {
        // A link to a folder is neither entered nor copied as a file.
        if (entry.attributes & kFileAttributeDirectory) {
            return !IsLink(entry) && !NeverEntered(path) && !IsListedFolder(path);
        }
        if (const Category* category = CategoryOf(entry.name)) CopyCategoryFile(path, entry.name, *category);
        return false;
    });
}

void CFileBackup::CopyCategoryFile(const std::string& source, const std::string& name, const Category& category) {
    reporter_.Status(name);
    const std::string folder = paths::Join(backupRoot_, category.name);
    Status copied;
    for (int n = 0; n <= maxNumberedNames_ && !stop_.StopRequested(); ++n) {
        const std::string target = paths::Join(folder, n == 0 ? name : Numbered(name, n));
        if (files_.access(target, FileSystem::kExists)) continue;
        // Never over an earlier copy: a name taken meanwhile gets the next number.
        if (Copy(source, target, false, &copied)) return;
        if (copied.failure().code == errors::kFileExists) continue;
        // A missing category folder gives code 3; that one is not reported.
        if (copied.failure().code == errors::kPathNotFound) {
            log_.Failed(kArea, copied.failure());
        } else {
            Report(copied.failure(), source);
        }
        return;
    }
    if (stop_.StopRequested()) return;
    Report(Failure{"copy file, every numbered name taken", source + " -> " + paths::Join(folder, name),
                   errors::kFileExists},
           source);
}

}  // namespace qnb
