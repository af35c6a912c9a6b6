// Folder security on a simulated machine (test and demo builds only). Under
// Wine the folders are real and made with the real calls, but Wine keeps no
// access lists of its own (it shows the Unix owner's), so every folder
// counts as the administrators' unless it is a junction or link; natively
// the test twin stands in.
#pragma once

#include "platform/file_system.h"
#include "platform/folder_security.h"

#include <memory>

namespace qnb::sim {

std::unique_ptr<FolderSecurity> MakeSimFolderSecurity(FileSystem& files);

}  // namespace qnb::sim
