// The folders Windows keeps for the user and for itself.
#pragma once

#include "platform/failure.h"

#include <string>

namespace qnb {

enum class ShellFolder { kDesktop, kDocuments, kCommonDocuments, kWindows, kTemporary, kInternetCache };

class ShellFolderPort {
public:
    virtual ~ShellFolderPort() = default;
    // UTF-8, without a trailing backslash (a drive root keeps its "X:\").
    virtual Result<std::string> Path(ShellFolder folder) = 0;
};

// "X:\a\" → "X:\a"; "X:\" stays.
std::string WithoutTrailingBackslash(std::string path);

}  // namespace qnb
