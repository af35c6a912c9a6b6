#include "platform/folder_security.h"

namespace qnb {

const char* Describe(FolderTrust trust) {
    switch (trust) {
    case FolderTrust::kTrusted: return "trusted";
    case FolderTrust::kReparsePoint: return "a junction or link";
    case FolderTrust::kNotFixed: return "not on a fixed drive";
    case FolderTrust::kNoAccessLists: return "on a volume without access lists";
    case FolderTrust::kOthersMayChange: return "others may change it";
    case FolderTrust::kUnknown: return "could not be looked at";
    }
    return "unknown";
}

}  // namespace qnb
