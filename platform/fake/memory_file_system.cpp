#include "platform/fake/memory_file_system.h"

#include "platform/error_codes.h"

#include <algorithm>
#include <cstring>

namespace qnb::fake {

namespace {

class MemoryReader : public FileReader {
public:
    explicit MemoryReader(std::string data) : data_(std::move(data)) {}
    Result<size_t> Read(char* buffer, size_t size) override {
        size_t n = std::min(size, data_.size() - at_);
        std::memcpy(buffer, data_.data() + at_, n);
        at_ += n;
        return n;
    }

private:
    std::string data_;
    size_t at_ = 0;
};

constexpr bool ReadOnly(uint32_t attributes) { return (attributes & kFileAttributeReadOnly) != 0; }

}  // namespace

MemoryFileSystem::MemoryFileSystem(const std::string& driveLetters) {
    for (char letter : driveLetters) Put(std::string(1, letter) + ":\\", true);
}

std::string MemoryFileSystem::Normalise(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (size_t i = 0; i < path.size(); ++i) {
        char c = path[i] == '/' ? '\\' : path[i];
        // A share keeps its two leading separators; elsewhere a run counts once.
        if (c == '\\' && !out.empty() && out.back() == '\\' && i != 1) continue;
        out += c;
    }
    if (out.size() == 2 && out[1] == ':') out += '\\';
    while (out.size() > 1 && out.back() == '\\' && !IsRoot(out)) out.pop_back();
    return out;
}

std::string MemoryFileSystem::Key(const std::string& normalised) {
    std::string key = normalised;
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

bool MemoryFileSystem::IsRoot(const std::string& n) { return n.size() == 3 && n[1] == ':' && n[2] == '\\'; }

std::string MemoryFileSystem::ParentOf(const std::string& n) {
    if (IsRoot(n)) return {};
    size_t cut = n.rfind('\\');
    if (cut == std::string::npos || cut == 0) return {};
    if (cut == 2 && n[1] == ':') return n.substr(0, 3);
    return n.substr(0, cut);
}

const MemoryFileSystem::Node* MemoryFileSystem::Find(const std::string& path) const {
    auto it = nodes_.find(Key(Normalise(path)));
    return it == nodes_.end() ? nullptr : &it->second;
}

MemoryFileSystem::Node* MemoryFileSystem::Find(const std::string& path) {
    auto it = nodes_.find(Key(Normalise(path)));
    return it == nodes_.end() ? nullptr : &it->second;
}

uint32_t MemoryFileSystem::MissingParentCode(const std::string& n) const {
    std::string parent = ParentOf(n);
    const Node* node = parent.empty() ? nullptr : Find(parent);
    return node && node->folder ? errors::kFileNotFound : errors::kPathNotFound;
}

MemoryFileSystem::Node& MemoryFileSystem::Put(const std::string& n, bool folder) {
    Node& node = nodes_[Key(n)];
    node.path = n;
    node.folder = folder;
    node.attributes = folder ? kFileAttributeDirectory : kFileAttributeArchive;
    node.data.clear();
    node.created = node.written = now_;
    return node;
}

bool MemoryFileSystem::HasChildren(const std::string& key) const {
    std::string prefix = IsRoot(key) ? key : key + "\\";
    for (auto it = nodes_.lower_bound(prefix); it != nodes_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
         ++it) {
        if (it->first != key) return true;
    }
    return false;
}

void MemoryFileSystem::AddFoldersLocked(const std::string& n) {
    if (n.empty()) return;
    if (const Node* node = Find(n); node && node->folder) return;
    AddFoldersLocked(ParentOf(n));
    Put(n, true);
}

void MemoryFileSystem::AddFolders(const std::string& path) {
    std::lock_guard lock(mutex_);
    AddFoldersLocked(Normalise(path));
}

void MemoryFileSystem::AddFile(const std::string& path, std::string_view data) {
    std::lock_guard lock(mutex_);
    std::string n = Normalise(path);
    AddFoldersLocked(ParentOf(n));
    Put(n, false).data = std::string(data);
}

void MemoryFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
    std::lock_guard lock(mutex_);
    if (Node* node = Find(path)) node->attributes = attributes;
}

std::optional<std::string> MemoryFileSystem::Content(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const Node* node = Find(path);
    if (!node || node->folder) return std::nullopt;
    return node->data;
}

bool MemoryFileSystem::IsFolder(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const Node* node = Find(path);
    return node && node->folder;
}

void MemoryFileSystem::SetNow(uint64_t ticks) {
    std::lock_guard lock(mutex_);
    now_ = ticks;
}

bool MemoryFileSystem::access(const std::string& path, int mode) {
    std::lock_guard lock(mutex_);
    const Node* node = Find(path);
    return node && !((mode & kWrite) && ReadOnly(node->attributes));
}

Status MemoryFileSystem::makeDirectory(const std::string& path) {
    std::lock_guard lock(mutex_);
    std::string n = Normalise(path);
    auto fail = [&](uint32_t code) { return Failure{"create folder", path, code}; };
    if (IsRoot(n)) return fail(errors::kAccessDenied);
    if (Find(n)) return fail(errors::kAlreadyExists);
    if (MissingParentCode(n) != errors::kFileNotFound) return fail(errors::kPathNotFound);
    Put(n, true);
    return {};
}

std::optional<std::string> MemoryFileSystem::readFile(const std::string& path) { return Content(path); }

bool MemoryFileSystem::writeFile(const std::string& path, std::string_view data) {
    std::lock_guard lock(mutex_);
    std::string n = Normalise(path);
    if (const Node* node = Find(n); node && (node->folder || ReadOnly(node->attributes))) return false;
    if (MissingParentCode(n) != errors::kFileNotFound) return false;
    Put(n, false).data = std::string(data);
    return true;
}

std::vector<DirectoryEntry> MemoryFileSystem::list(const std::string& folder) {
    Result<std::vector<DirectoryEntry>> entries = listFolder(folder);
    return entries ? std::move(*entries) : std::vector<DirectoryEntry>();
}

Result<std::vector<DirectoryEntry>> MemoryFileSystem::listFolder(const std::string& folder) {
    std::lock_guard lock(mutex_);
    std::vector<DirectoryEntry> entries;
    std::string n = Normalise(folder);
    const Node* self = Find(n);
    if (!self) return Failure{"list folder", folder, errors::kPathNotFound};
    if (!self->folder) return Failure{"list folder", folder, errors::kDirectory};
    if (!IsRoot(n)) {
        entries.push_back({".", kFileAttributeDirectory, 0, self->written});
        entries.push_back({"..", kFileAttributeDirectory, 0, self->written});
    }
    std::string key = Key(n);
    for (const auto& [childKey, node] : nodes_) {
        if (Key(ParentOf(childKey)) != key || childKey == key) continue;
        std::string name = node.path.substr(node.path.rfind('\\') + 1);
        entries.push_back({name, node.attributes, node.folder ? 0 : node.data.size(), node.written});
    }
    return entries;
}

bool MemoryFileSystem::deleteFile(const std::string& path) {
    std::lock_guard lock(mutex_);
    const Node* node = Find(path);
    if (!node || node->folder || ReadOnly(node->attributes)) return false;
    nodes_.erase(Key(Normalise(path)));
    return true;
}

Result<FileFacts> MemoryFileSystem::facts(const std::string& path) {
    std::lock_guard lock(mutex_);
    std::string n = Normalise(path);
    const Node* node = Find(n);
    if (!node) return Failure{"query file", path, MissingParentCode(n)};
    return FileFacts{node->folder ? 0 : node->data.size(), node->attributes, node->created, node->written};
}

Status MemoryFileSystem::copyFile(const std::string& from, const std::string& to, const CopyProgress& progress,
                                  bool replace) {
    auto fail = [&](uint32_t code) { return Failure{"copy file", from + " -> " + to, code}; };
    std::string source = Normalise(from), target = Normalise(to);
    std::string data;
    uint32_t attributes;
    uint64_t written;
    auto checkTarget = [&]() -> uint32_t {
        const Node* existing = Find(target);
        if (existing && !replace) return errors::kFileExists;
        if (existing && (existing->folder || ReadOnly(existing->attributes))) return errors::kAccessDenied;
        if (!existing && MissingParentCode(target) != errors::kFileNotFound) return errors::kPathNotFound;
        return 0;
    };
    {
        std::lock_guard lock(mutex_);
        const Node* node = Find(source);
        if (!node) return fail(MissingParentCode(source));
        if (node->folder) return fail(errors::kAccessDenied);
        if (uint32_t code = checkTarget()) return fail(code);
        data = node->data;
        attributes = node->attributes;
        written = node->written;
    }
    // Progress is reported without the lock: it may look at the files.
    const uint64_t total = data.size();
    for (uint64_t done = 0;; done = std::min<uint64_t>(done + kCopyPiece, total)) {
        if (progress && !progress(done, total)) return fail(errors::kRequestAborted);
        if (done == total) break;
    }
    std::lock_guard lock(mutex_);
    if (uint32_t code = checkTarget()) return fail(code);
    Node& copy = Put(target, false);
    copy.data = std::move(data);
    copy.attributes = attributes;
    copy.written = written;
    return {};
}

Status MemoryFileSystem::moveFile(const std::string& from, const std::string& to, bool replace) {
    std::lock_guard lock(mutex_);
    auto fail = [&](uint32_t code) { return Failure{"move file", from + " -> " + to, code}; };
    std::string source = Normalise(from), target = Normalise(to);
    std::string sourceKey = Key(source), targetKey = Key(target);
    Node* node = Find(source);
    if (!node) return fail(MissingParentCode(source));
    if (IsRoot(source)) return fail(errors::kAccessDenied);
    if (sourceKey == targetKey) {  // a change of case only
        node->path = target;
        return {};
    }
    if (const Node* existing = Find(target)) {
        if (!replace) return fail(errors::kAlreadyExists);
        if (existing->folder || node->folder || ReadOnly(existing->attributes)) return fail(errors::kAccessDenied);
    } else if (MissingParentCode(target) != errors::kFileNotFound) {
        return fail(errors::kPathNotFound);
    }
    if (targetKey.compare(0, sourceKey.size() + 1, sourceKey + "\\") == 0) return fail(errors::kAccessDenied);

    // The entry and, for a folder, everything under it.
    Nodes moved;
    for (auto it = nodes_.begin(); it != nodes_.end();) {
        bool inside = it->first == sourceKey || it->first.compare(0, sourceKey.size() + 1, sourceKey + "\\") == 0;
        if (!inside) {
            ++it;
            continue;
        }
        Node child = std::move(it->second);
        child.path = target + child.path.substr(source.size());
        moved[Key(child.path)] = std::move(child);
        it = nodes_.erase(it);
    }
    for (auto& [key, child] : moved) nodes_[key] = std::move(child);
    return {};
}

Status MemoryFileSystem::appendFile(const std::string& path, std::string_view data) {
    std::lock_guard lock(mutex_);
    std::string n = Normalise(path);
    Node* node = Find(n);
    if (node && (node->folder || ReadOnly(node->attributes))) return Failure{"append to file", path, errors::kAccessDenied};
    if (!node) {
        if (MissingParentCode(n) != errors::kFileNotFound) return Failure{"append to file", path, errors::kPathNotFound};
        node = &Put(n, false);
    }
    node->data.append(data);
    node->written = now_;
    return {};
}

Status MemoryFileSystem::setAttributes(const std::string& path, uint32_t attributes) {
    std::lock_guard lock(mutex_);
    Node* node = Find(path);
    if (!node) return Failure{"set attributes", path, MissingParentCode(Normalise(path))};
    // As Windows keeps them: the folder bit stays, a file without any reads as normal.
    uint32_t kept = attributes & (kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem |
                                  kFileAttributeArchive);
    node->attributes = node->folder ? (kFileAttributeDirectory | kept) : (kept ? kept : kFileAttributeNormal);
    return {};
}

Status MemoryFileSystem::removeDirectory(const std::string& path) {
    std::lock_guard lock(mutex_);
    std::string n = Normalise(path);
    auto fail = [&](uint32_t code) { return Failure{"remove folder", path, code}; };
    const Node* node = Find(n);
    if (!node) return fail(MissingParentCode(n));
    if (IsRoot(n)) return fail(errors::kAccessDenied);
    if (!node->folder) return fail(errors::kDirectory);
    if (HasChildren(Key(n))) return fail(errors::kDirNotEmpty);
    nodes_.erase(Key(n));
    return {};
}

Result<std::string> MemoryFileSystem::longPathName(const std::string& path) {
    // No short names here: an existing path is its own long form.
    std::lock_guard lock(mutex_);
    std::string n = Normalise(path);
    if (!Find(n)) return Failure{"long path name", path, MissingParentCode(n)};
    return path;
}

Result<std::unique_ptr<FileReader>> MemoryFileSystem::openRead(const std::string& path) {
    std::lock_guard lock(mutex_);
    std::string n = Normalise(path);
    const Node* node = Find(n);
    if (!node) return Failure{"open file", path, MissingParentCode(n)};
    if (node->folder) return Failure{"open file", path, errors::kAccessDenied};
    return std::unique_ptr<FileReader>(std::make_unique<MemoryReader>(node->data));
}

}  // namespace qnb::fake
