// The ways isocmd attaches ISO files on Windows.
#pragma once

#include "tools/isocmd/isocmd.h"

#include <memory>

namespace qnb::isocmd {

// Windows' Virtual Disk API (virtdisk.dll, looked up at run time so that
// the tool starts on every Windows): ISO files from Windows 8 on, attached
// read-only with a permanent lifetime, their volume given the letter.
std::unique_ptr<Backend> MakeVirtualDiskBackend();

#ifdef QNB_ISOCMD_TEST_BACKEND
// Test builds under Wine, whose Virtual Disk API is a stub: the letter is
// given the folder "ISO.files" beside the ISO (its files, extracted by the
// test bed) through Wine's mount manager, as a CD-ROM drive.
std::unique_ptr<Backend> MakeWineFolderBackend();
#endif

// No drive answers for "X:\".
bool LetterFree(char letter);

}  // namespace qnb::isocmd
