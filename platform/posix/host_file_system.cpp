#include "platform/posix/host_file_system.h"

#include "platform/ascii.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>

namespace qnb {

std::string HostFileSystem::HostPath(const std::string& path) const {
    std::string out;
    size_t from = 0;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        out = driveRoot_ + "/" + ascii::ToUpper(path[0]);
        from = 2;
    }
    for (size_t i = from; i < path.size(); ++i) out += path[i] == '\\' ? '/' : path[i];
    return out;
}

bool HostFileSystem::access(const std::string& path, int mode) {
    int want = F_OK;
    if (mode & kWrite) want |= W_OK;
    if (mode & kRead) want |= R_OK;
    return ::access(HostPath(path).c_str(), want) == 0;
}

bool HostFileSystem::makeDirectory(const std::string& path) {
    // A drive is not a folder that can be made, as on Windows.
    bool driveRoot = path.size() >= 2 && path.size() <= 3 && path[1] == ':';
    return !driveRoot && ::mkdir(HostPath(path).c_str(), 0755) == 0;
}

std::optional<std::string> HostFileSystem::readFile(const std::string& path) {
    int fd = ::open(HostPath(path).c_str(), O_RDONLY);
    if (fd < 0) return std::nullopt;
    std::string data;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) data.append(buffer, n);
    ::close(fd);
    if (n < 0) return std::nullopt;
    return data;
}

bool HostFileSystem::writeFile(const std::string& path, std::string_view data) {
    static std::atomic<unsigned> counter{0};
    std::string target = HostPath(path);
    std::string temporary = target + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    bool ok = true;
    for (size_t done = 0; ok && done < data.size();) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        ok = n > 0;
        if (ok) done += n;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

std::vector<DirectoryEntry> HostFileSystem::list(const std::string& folder) {
    std::vector<DirectoryEntry> entries;
    std::string host = HostPath(folder);
    DIR* dir = ::opendir(host.c_str());
    if (!dir) return entries;
    while (dirent* e = ::readdir(dir)) {
        struct stat st {};
        std::string name = e->d_name;
        bool isDirectory = ::stat((host + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        entries.push_back({name, isDirectory ? kFileAttributeDirectory : 0x20u /* archive */});
    }
    ::closedir(dir);
    return entries;
}

bool HostFileSystem::deleteFile(const std::string& path) { return ::unlink(HostPath(path).c_str()) == 0; }

}  // namespace qnb
