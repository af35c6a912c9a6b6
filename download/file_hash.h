// The SHA-256 of a file, read in pieces so that an image of gigabytes needs
// no more memory than one piece. Runs on a worker (the download manager's,
// the installer's), never on a window's thread.
#pragma once

#include "jobs/stop_token.h"
#include "platform/failure.h"
#include "platform/file_system.h"

#include <string>

namespace qnb {

// Lower-case hex. Fails with the read's code, or with ERROR_REQUEST_ABORTED
// when stop is requested on the way.
Result<std::string> FileSha256(FileSystem& files, const std::string& path, const StopToken& stop);

}  // namespace qnb
