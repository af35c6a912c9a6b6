#include "platform/fake/fake_folder_security.h"

#include "platform/ascii.h"
#include "platform/error_codes.h"
#include "platform/paths.h"

#include <cstdio>

namespace qnb::fake {

std::string FakeFolderSecurity::Key(const std::string& path) {
    return ascii::ToLower(paths::WithoutTrailingSeparator(path));
}

void FakeFolderSecurity::Set(const std::string& path, FolderTrust trust) {
    std::lock_guard lock(mutex_);
    verdicts_[Key(path)] = trust;
}

std::vector<std::string> FakeFolderSecurity::Created() const {
    std::lock_guard lock(mutex_);
    return created_;
}

std::vector<std::string> FakeFolderSecurity::Protected() const {
    std::lock_guard lock(mutex_);
    return protected_;
}

Status FakeFolderSecurity::CreateProtected(const std::string& path) {
    Result<FileFacts> facts = files_.facts(std::string(paths::WithoutTrailingSeparator(path)));
    if (facts) return {};
    Status made = files_.makeDirectory(path);
    if (!made) return made;
    std::lock_guard lock(mutex_);
    created_.push_back(std::string(paths::WithoutTrailingSeparator(path)));
    return {};
}

FolderTrust FakeFolderSecurity::Inspect(const std::string& path) {
    Result<FileFacts> facts = files_.facts(std::string(paths::WithoutTrailingSeparator(path)));
    if (!facts) return FolderTrust::kUnknown;
    if (facts->attributes & kFileAttributeReparsePoint) return FolderTrust::kReparsePoint;
    std::lock_guard lock(mutex_);
    auto it = verdicts_.find(Key(path));
    return it == verdicts_.end() ? FolderTrust::kTrusted : it->second;
}

Status FakeFolderSecurity::Protect(const std::string& path) {
    FolderTrust now = Inspect(path);
    if (now == FolderTrust::kReparsePoint || now == FolderTrust::kUnknown)
        return Failure{"protect folder", path, errors::kAccessDenied};
    std::lock_guard lock(mutex_);
    protected_.push_back(std::string(paths::WithoutTrailingSeparator(path)));
    verdicts_[Key(path)] = FolderTrust::kTrusted;
    return {};
}

std::optional<std::string> FakeFolderSecurity::MakeHeldFolder(const std::string& parent) {
    char name[32];
    {
        std::lock_guard lock(mutex_);
        std::snprintf(name, sizeof name, "QNB%016X", ++next_);
    }
    std::string path = paths::WithTrailingSeparator(parent) + name;
    if (!files_.makeDirectory(path)) return std::nullopt;
    return path + "\\";
}

}  // namespace qnb::fake
