// Shell folders for tests: the paths a test sets; the others fail as an
// unknown folder does (HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)).
#pragma once

#include "platform/error_codes.h"
#include "platform/shell_folders.h"

#include <map>
#include <mutex>

namespace qnb::fake {

class FakeShellFolders : public ShellFolderPort {
public:
    void Set(ShellFolder folder, const std::string& path) {
        std::lock_guard lock(mutex_);
        paths_[folder] = WithoutTrailingBackslash(path);
    }

    Result<std::string> Path(ShellFolder folder) override {
        std::lock_guard lock(mutex_);
        auto it = paths_.find(folder);
        if (it == paths_.end()) {
            return Failure{"shell folder", std::to_string(static_cast<int>(folder)), errors::kHresultFileNotFound};
        }
        return it->second;
    }

private:
    std::mutex mutex_;
    std::map<ShellFolder, std::string> paths_;
};

}  // namespace qnb::fake
