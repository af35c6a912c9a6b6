#include "platform/shell_folders.h"

namespace qnb {

std::string WithoutTrailingBackslash(std::string path) {
    bool driveRoot = path.size() == 3 && path[1] == ':';
    while (!driveRoot && path.size() > 1 && path.back() == '\\') path.pop_back();
    return path;
}

}  // namespace qnb
