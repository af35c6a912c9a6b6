// The downloads on Windows: the protected deployment folder, the companion
// program's launch, and the program's download manager wired to the real
// engine library.
#pragma once

#include "download/download_manager.h"
#include "download/engine_deploy.h"
#include "platform/file_system.h"
#include "platform/process_port.h"

#include <optional>
#include <string>

namespace qnb::win32 {

// A new folder below parent (which ends with "\") with a name never used
// before, whose access list lets only Administrators and SYSTEM change it
// (everyone else may read and run). The folder is held open for the rest of
// the process, so that it cannot be renamed or deleted and replaced while
// its files are used. Returns it with a trailing "\".
std::optional<std::string> MakeProtectedFolder(const std::string& parent);

// The access list of that folder, as a security descriptor string (owner
// Administrators; the variant without the owner is used when the process may
// not set it).
extern const wchar_t kProtectedFolderDescriptor[];

// True when the access list lets nobody but Administrators and SYSTEM write:
// of a folder on disk, or of a security descriptor string.
bool OnlyAdministratorsMayWrite(const std::string& folder);
bool DescriptorLetsOnlyAdministratorsWrite(const wchar_t* sddl);

// The user's temporary folder, ending with "\".
std::string TemporaryFolder();

// Gives the manager the real engine library, loaded from where the
// deployment publishes it; called once at start-up before any download is added.
void ConfigureDownloads(CDownloadManager& downloads, FileSystem& files, const EngineLocation& engine,
                        Log* log = nullptr);

// The start-up job's work: deploys the engine from the program's payload
// archive into a protected folder below the temporary folder, publishes the
// library's path ("" when there is none), reads the download records of
// workspace into the manager, runs the companion program (hidden, in a new
// console, in its own folder, waited for).
Status DeployDownloadEngine(FileSystem& files, ProcessPort& process, const std::string& workspace,
                            CDownloadManager& downloads, EngineLocation& engine);

}  // namespace qnb::win32
