// Folder security for tests, over any file system: folders are made plainly
// and counted as protected; what a folder is worth is what the test says
// (trusted unless told otherwise), and a junction or link is one by its
// attributes. Never in the shipped program.
#pragma once

#include "platform/file_system.h"
#include "platform/folder_security.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace qnb::fake {

class FakeFolderSecurity : public FolderSecurity {
public:
    explicit FakeFolderSecurity(FileSystem& files) : files_(files) {}

    // What Inspect answers for a folder (its path without a trailing "\").
    void Set(const std::string& path, FolderTrust trust);
    std::vector<std::string> Created() const;
    std::vector<std::string> Protected() const;

    Status CreateProtected(const std::string& path) override;
    FolderTrust Inspect(const std::string& path) override;
    Status Protect(const std::string& path) override;
    std::optional<std::string> MakeHeldFolder(const std::string& parent) override;

private:
    static std::string Key(const std::string& path);
    FileSystem& files_;
    mutable std::mutex mutex_;
    std::map<std::string, FolderTrust> verdicts_;
    std::vector<std::string> created_;
    std::vector<std::string> protected_;
    int next_ = 0;
};

}  // namespace qnb::fake
