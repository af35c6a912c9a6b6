#include "platform/paths.h"

namespace qnb::paths {

std::string_view FileName(std::string_view path, std::string_view separators) {
    size_t last = path.find_last_of(separators);
    return last == std::string_view::npos ? path : path.substr(last + 1);
}

std::string_view Folder(std::string_view path, std::string_view separators) {
    size_t last = path.find_last_of(separators);
    return last == std::string_view::npos ? std::string_view() : path.substr(0, last + 1);
}

std::string_view Extension(std::string_view path, std::string_view separators) {
    std::string_view name = FileName(path, separators);
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

std::string WithTrailingSeparator(std::string_view folder, std::string_view separators) {
    std::string out(folder);
    if (!out.empty() && separators.find(out.back()) == std::string_view::npos) out += '\\';
    return out;
}

std::string_view WithoutTrailingSeparator(std::string_view path) {
    if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    return path;
}

std::string Join(std::string_view folder, std::string_view name) {
    return WithTrailingSeparator(folder) + std::string(name);
}

}  // namespace qnb::paths
