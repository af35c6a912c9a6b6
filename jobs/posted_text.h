// Texts carried by posted window messages (WM_BACKUP_STATUS,
// WM_BACKUP_FILE_ERROR, WM_FATAL_ERROR): the worker makes a heap copy for
// the message parameter and the window takes it back exactly once, which
// frees it. A message that could not be posted drops its text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qnb {

// A heap copy of text (UTF-8), as a message parameter.
uintptr_t NewPostedText(std::string_view text);
// The text of a parameter made by NewPostedText, freed; "" for 0.
std::string TakePostedText(uintptr_t parameter);
// Frees a parameter whose message never left.
inline void DropPostedText(uintptr_t parameter) { (void)TakePostedText(parameter); }

}  // namespace qnb
