// The protected folders on Windows: the access list they are made with, the
// judge of a folder's security descriptor, and the FolderSecurity port.
#pragma once

#include "platform/folder_security.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace qnb::win32 {

// SYSTEM and Administrators full control, Users read and run, owner
// Administrators, nothing inherited from the parent (SDDL). The variant
// without the owner is used where the process may not set it.
extern const wchar_t kProtectedFolderDescriptor[];
extern const wchar_t kProtectedFolderAccessList[];

// Why a folder's security descriptor does not keep it for Administrators
// and SYSTEM, or kTrusted: the owner must be one of them, there must be an
// access list, and no entry may let anybody else write, delete, or change
// the list or the owner. Denying entries only take away. Every other kind
// of entry (object, callback, conditional, or one not known) counts as one
// that lets others in: the check fails closed.
FolderTrust JudgeDescriptor(PSECURITY_DESCRIPTOR descriptor);
// The same for a descriptor in SDDL; kUnknown when it does not convert.
FolderTrust JudgeDescriptor(const wchar_t* sddl);
// An open folder (opened without following a link): no junction or link,
// and its descriptor as JudgeDescriptor says.
FolderTrust JudgeHeldFolder(HANDLE folder);

// The user's temporary folder, ending with "\".
std::string TemporaryFolder();

// See FolderSecurity::MakeHeldFolder. judge decides on the held handle.
std::optional<std::string> MakeProtectedFolder(const std::string& parent,
                                               const std::function<FolderTrust(HANDLE)>& judge = JudgeHeldFolder);

// The real folders of the machine.
class Win32FolderSecurity : public FolderSecurity {
public:
    Status CreateProtected(const std::string& path) override;
    FolderTrust Inspect(const std::string& path) override;
    Status Protect(const std::string& path) override;
    std::optional<std::string> MakeHeldFolder(const std::string& parent) override;
};

}  // namespace qnb::win32
