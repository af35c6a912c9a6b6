// Folders the elevated program and the preinstallation environment trust:
// the workspace and the engine's deployment folder. Such a folder is made
// with an access list that only Administrators and SYSTEM can change, and
// one made by an earlier run is trusted only after its owner, its access
// list and its drive were looked at.
#pragma once

#include "platform/failure.h"

#include <optional>
#include <string>

namespace qnb {

// What a folder from an earlier run is worth.
enum class FolderTrust {
    kTrusted,          // no link, on a fixed drive that keeps access lists, owned and changeable by
                       // Administrators and SYSTEM only
    kReparsePoint,     // a junction or link: what it leads to is somebody else's choice
    kNotFixed,         // on a removable, network, optical or unknown drive
    kNoAccessLists,    // its volume keeps no access lists (FAT32, exFAT)
    kOthersMayChange,  // another owner, or an access list that lets others write or change it
    kUnknown,          // it could not be looked at
};
const char* Describe(FolderTrust trust);

class FolderSecurity {
public:
    virtual ~FolderSecurity() = default;
    // Makes one folder (its parent exists) with the protected access list:
    // SYSTEM and Administrators full control, Users read and run, owned by
    // Administrators, nothing inherited. A folder that is there already
    // succeeds as it is (what it is worth, Inspect says).
    virtual Status CreateProtected(const std::string& path) = 0;
    virtual FolderTrust Inspect(const std::string& path) = 0;
    // Gives an existing folder the protected access list and owner; refused
    // for a junction or link.
    virtual Status Protect(const std::string& path) = 0;
    // A new folder below parent (ending with "\") under a name never used
    // before, protected, held open for the rest of the process so that it
    // cannot be swapped, and checked on the held handle (no link, owner and
    // access list as made). Returns it with a trailing "\"; nothing when it
    // cannot be made so.
    virtual std::optional<std::string> MakeHeldFolder(const std::string& parent) = 0;
};

}  // namespace qnb
