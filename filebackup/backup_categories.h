// The four kinds of files the drive walk gathers, each into a flat folder
// of its own under the backup root.
#pragma once

#include <array>

namespace qnb {

struct BackupCategory {
    const char* option;      // the page's check box
    const char* name;        // the category, and its folder under the backup root
    const char* extensions;  // lower case, each with its dot and followed by "|"
};

// Pictures, music, documents, videos: the order they are registered in.
const std::array<BackupCategory, 4>& BackupCategories();

}  // namespace qnb
