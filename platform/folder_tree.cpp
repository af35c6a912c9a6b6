#include "platform/folder_tree.h"

#include "platform/error_codes.h"

namespace qnb {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// How much of the path names a place that is never made: "\\?\" and
// "\\?\UNC\" with what follows them, a share "\\server\share\", a drive
// "D:\" (or "D:"), the current drive's root "\".
size_t RootLength(const std::string& p) {
    size_t at = 0;
    if (p.compare(0, 4, "\\\\?\\") == 0) {
        at = 4;
        if (p.compare(4, 4, "UNC\\") != 0) return p.size() >= 7 && p[5] == ':' ? 7 : 4;
        at = 8;
    } else if (p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1])) {
        at = 2;
    } else if (p.size() >= 2 && p[1] == ':') {
        return p.size() >= 3 && IsSeparator(p[2]) ? 3 : 2;
    } else {
        return IsSeparator(p[0]) ? 1 : 0;
    }
    // A share: the server's name and the share's.
    for (int names = 0; names < 2 && at < p.size(); ++names) {
        while (at < p.size() && !IsSeparator(p[at])) ++at;
        if (at < p.size()) ++at;
    }
    return at;
}

bool IsFolder(FileSystem& files, const std::string& path) {
    Result<FileFacts> facts = files.facts(path);
    return facts && (facts->attributes & kFileAttributeDirectory);
}

}  // namespace

Status CreateFolderTree(FileSystem& files, const std::string& path) {
    if (path.empty()) return Failure{"create folder", path, errors::kPathNotFound};
    if (IsFolder(files, path)) return {};
    size_t root = RootLength(path);
    std::string folder = path.substr(0, root);
    for (size_t at = root; at < path.size();) {
        size_t end = at;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        if (end > at) {
            bool driveRelative = folder.size() == 2 && folder[1] == ':';  // "D:x" stays so
            if (!folder.empty() && !IsSeparator(folder.back()) && !driveRelative) folder += '\\';
            folder.append(path, at, end - at);
            if (!IsFolder(files, folder)) {
                // Made by someone else meanwhile is as good as made.
                Status made = files.makeDirectory(folder);
                if (!made && !IsFolder(files, folder)) return made;
            }
        }
        at = end + 1;
    }
    return {};
}

}  // namespace qnb
