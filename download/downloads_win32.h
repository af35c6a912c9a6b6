// The downloads on Windows: the deployment into a protected folder, the
// companion program's launch, and the program's download manager wired to
// the real engine library.
#pragma once

#include "download/download_manager.h"
#include "download/engine_deploy.h"
#include "platform/file_system.h"
#include "platform/folder_security.h"
#include "platform/process_port.h"

#include <optional>
#include <string>

namespace qnb::win32 {

// Gives the manager the real engine library, loaded from where the
// deployment publishes it; called once at start-up before any download is added.
void ConfigureDownloads(CDownloadManager& downloads, FileSystem& files, const EngineLocation& engine,
                        Log* log = nullptr);

// The start-up job's work: removes the deployment folders of earlier runs,
// deploys the engine from the program's payload archive into a new held
// protected folder below the temporary folder (folders.MakeHeldFolder),
// publishes the library's path ("" when there is none), reads the download
// records of workspace into the manager (or, for a workspace that is not
// trusted, removes them), runs the companion program (hidden, in a new
// console, in its own folder, waited for).
Status DeployDownloadEngine(FileSystem& files, FolderSecurity& folders, ProcessPort& process,
                            const std::string& workspace, bool workspaceTrusted, CDownloadManager& downloads,
                            EngineLocation& engine);

}  // namespace qnb::win32
