#include "uikit/core/skin_store.h"

#include "platform/error_codes.h"
#include "platform/text.h"

namespace uikit {

// The archive class writes entries through a file system; the skin is only
// ever read in memory, so it gets one that refuses everything.
class SkinStore::NoFiles : public qnb::FileSystem {
public:
    bool access(const std::string&, int) override { return false; }
    qnb::Status makeDirectory(const std::string& path) override { return Refused("create folder", path); }
    std::optional<std::string> readFile(const std::string&) override { return std::nullopt; }
    bool writeFile(const std::string&, std::string_view) override { return false; }
    std::vector<qnb::DirectoryEntry> list(const std::string&) override { return {}; }
    bool deleteFile(const std::string&) override { return false; }
    qnb::Result<qnb::FileFacts> facts(const std::string& path) override { return Refused("query file", path); }
    qnb::Status copyFile(const std::string& from, const std::string&, const qnb::CopyProgress&, bool) override {
        return Refused("copy file", from);
    }
    qnb::Status moveFile(const std::string& from, const std::string&, bool) override {
        return Refused("move file", from);
    }
    qnb::Status appendFile(const std::string& path, std::string_view) override {
        return Refused("append to file", path);
    }
    qnb::Status setAttributes(const std::string& path, uint32_t) override { return Refused("set attributes", path); }
    qnb::Status removeDirectory(const std::string& path) override { return Refused("remove folder", path); }
    qnb::Result<std::string> longPathName(const std::string& path) override {
        return Refused("long path name", path);
    }
    qnb::Result<std::unique_ptr<qnb::FileReader>> openRead(const std::string& path) override {
        return Refused("open file", path);
    }

private:
    static qnb::Failure Refused(const char* what, const std::string& path) {
        return {what, path, qnb::errors::kAccessDenied};
    }
};

SkinStore::SkinStore()
    : noFiles_(std::make_unique<NoFiles>()), archive_(std::make_unique<qnb::CResourceArchive>(*noFiles_)) {}

SkinStore::~SkinStore() = default;

bool SkinStore::LoadFromMemory(const uint8_t* bytes, size_t size) {
    entries_.clear();
    if (!archive_->LoadFromMemory(bytes, size)) return false;
    Index();
    return IsLoaded();
}

#ifdef _WIN32
bool SkinStore::LoadFromResource(int id, const wchar_t* type) {
    entries_.clear();
    if (!archive_->LoadFromResource(id, type)) return false;
    Index();
    return IsLoaded();
}
#endif

void SkinStore::Index() {
    for (const qnb::ArchiveEntry& e : archive_->Entries()) {
        entries_[qnb::text::Utf16ToUtf8(e.name)] =
            std::string_view(reinterpret_cast<const char*>(e.data), static_cast<size_t>(e.size));
    }
}

const std::string_view* SkinStore::Find(std::string_view name) const {
    auto it = entries_.find(name);
    return it == entries_.end() ? nullptr : &it->second;
}

bool SkinStore::IsDiskPath(std::string_view file) {
    bool drive = file.size() >= 3 && ((file[0] >= 'A' && file[0] <= 'Z') || (file[0] >= 'a' && file[0] <= 'z')) &&
                 file[1] == ':' && (file[2] == '\\' || file[2] == '/');
    return drive || file.substr(0, 2) == "\\\\";
}

std::string SkinStore::Resolve(std::string_view skinFolder, std::string_view file) {
    if (IsDiskPath(file) || file.substr(0, skinFolder.size()) == skinFolder) return std::string(file);
    return std::string(skinFolder) + std::string(file);
}

bool ReadWindowLayout(const SkinLookup& find, std::string_view skinFolder, std::string_view file,
                      LayoutDocument* document, std::string* error) {
    std::string sharedName = SkinStore::Resolve(skinFolder, kSharedStylesFile);
    std::string name = SkinStore::Resolve(skinFolder, file);
    const std::string_view* shared = find(sharedName);
    const std::string_view* xml = find(name);
    if (!shared || !xml) {
        *error = "the skin has no " + (shared ? name : sharedName);
        return false;
    }
    SharedStyles styles;
    if (!ParseSharedStyles(*shared, &styles, error)) {
        *error = sharedName + ": " + *error;
        return false;
    }
    if (!ParseLayout(*xml, document, error) || !ApplySharedStyles(styles, document, error)) {
        *error = name + ": " + *error;
        return false;
    }
    return true;
}

std::vector<std::string> SkinStore::Names() const {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : entries_) names.push_back(name);
    return names;
}

}  // namespace uikit
