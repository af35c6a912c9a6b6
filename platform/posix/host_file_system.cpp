#include "platform/posix/host_file_system.h"

#include "platform/error_codes.h"
#include "platform/scope_exit.h"
#include "platform/ascii.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <vector>

namespace qnb {

namespace {

bool IsFolder(const std::string& hostPath) {
    struct stat st {};
    return ::stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The code Windows gives for the same failure.
uint32_t WindowsCode(int error, const std::string& hostPath) {
    switch (error) {
    case ENOENT: {
        // A missing file in an existing folder, or a missing folder on the way.
        std::string parent = hostPath;
        while (parent.size() > 1 && parent.back() == '/') parent.pop_back();
        size_t cut = parent.rfind('/');
        parent = cut == std::string::npos ? "." : cut == 0 ? "/" : parent.substr(0, cut);
        return IsFolder(parent) ? errors::kFileNotFound : errors::kPathNotFound;
    }
    case ENOTDIR: return errors::kPathNotFound;
    case EACCES: case EPERM: case EROFS: case EISDIR: case ETXTBSY: return errors::kAccessDenied;
    case EEXIST: return errors::kAlreadyExists;
    case ENOTEMPTY: return errors::kDirNotEmpty;
    case ENOSPC: case EDQUOT: return errors::kDiskFull;
    case EXDEV: return errors::kNotSameDevice;
    case ENAMETOOLONG: case EINVAL: return errors::kInvalidName;
    default: return errors::kGenFailure;
    }
}

uint64_t Ticks(const struct timespec& t) {
    constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
    return static_cast<uint64_t>(t.tv_sec + kSecondsFrom1601To1970) * 10000000u +
           static_cast<uint64_t>(t.tv_nsec) / 100u;
}

// Windows attributes of what lstat found; a symbolic link is a reparse
// point, a folder when it leads to one (as a junction is).
uint32_t AttributesOf(const struct stat& st, const std::string& hostPath) {
    if (S_ISLNK(st.st_mode)) {
        return kFileAttributeReparsePoint | (IsFolder(hostPath) ? kFileAttributeDirectory : kFileAttributeArchive);
    }
    if (S_ISDIR(st.st_mode)) return kFileAttributeDirectory;
    return kFileAttributeArchive | ((st.st_mode & S_IWUSR) ? 0 : kFileAttributeReadOnly);
}

std::string TemporaryBeside(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    return target + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
}

bool WriteAll(int fd, std::string_view data) {
    for (size_t done = 0; done < data.size();) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

class HostFileReader : public FileReader {
public:
    HostFileReader(int fd, std::string where) : fd_(fd), where_(std::move(where)) {}
    ~HostFileReader() override { ::close(fd_); }
    Result<size_t> Read(char* buffer, size_t size) override {
        ssize_t n;
        do n = ::read(fd_, buffer, size); while (n < 0 && errno == EINTR);
        if (n < 0) return Failure{"read file", where_, WindowsCode(errno, where_)};
        return static_cast<size_t>(n);
    }

private:
    int fd_;
    std::string where_;
};

}  // namespace

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

Status HostFileSystem::makeDirectory(const std::string& path) {
    // A drive is not a folder that can be made, as on Windows.
    bool driveRoot = path.size() >= 2 && path.size() <= 3 && path[1] == ':';
    if (driveRoot) return Failure{"create folder", path, errors::kAccessDenied};
    std::string host = HostPath(path);
    if (::mkdir(host.c_str(), 0755) != 0) return Failure{"create folder", path, WindowsCode(errno, host)};
    return {};
}

std::optional<std::string> HostFileSystem::readFile(const std::string& path) {
    int fd = ::open(HostPath(path).c_str(), O_RDONLY | O_CLOEXEC);
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
    std::string target = HostPath(path);
    std::string temporary = TemporaryBeside(target);
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, data);
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

std::vector<DirectoryEntry> HostFileSystem::list(const std::string& folder) {
    Result<std::vector<DirectoryEntry>> entries = listFolder(folder);
    return entries ? std::move(*entries) : std::vector<DirectoryEntry>();
}

Result<std::vector<DirectoryEntry>> HostFileSystem::listFolder(const std::string& folder) {
    std::vector<DirectoryEntry> entries;
    std::string host = HostPath(folder);
    while (host.size() > 1 && host.back() == '/') host.pop_back();
    DIR* dir = ::opendir(host.c_str());
    if (!dir) {
        // Windows names a missing folder of the pattern a missing path.
        uint32_t code = errno == ENOENT || errno == ENOTDIR ? errors::kPathNotFound : WindowsCode(errno, host);
        return Failure{"list folder", folder, code};
    }
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        std::string child = host + "/" + name;
        struct stat st {};
        if (::lstat(child.c_str(), &st) != 0) continue;  // gone meanwhile
        DirectoryEntry entry{name, AttributesOf(st, child)};
        entry.size = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
        entry.lastWriteTime = Ticks(st.st_mtim);
        if (S_ISLNK(st.st_mode)) entry.reparseTag = kReparseTagSymlink;
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return entries;
}

bool HostFileSystem::deleteFile(const std::string& path) { return ::unlink(HostPath(path).c_str()) == 0; }

Result<FileFacts> HostFileSystem::facts(const std::string& path) {
    std::string host = HostPath(path);
    struct statx sx {};
    if (::statx(AT_FDCWD, host.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
        return Failure{"query file", path, WindowsCode(errno, host)};
    }
    struct stat st {};
    st.st_mode = sx.stx_mode;
    FileFacts facts;
    facts.attributes = AttributesOf(st, host);
    facts.size = S_ISREG(sx.stx_mode) ? sx.stx_size : 0;
    facts.lastWriteTime = Ticks({static_cast<time_t>(sx.stx_mtime.tv_sec), sx.stx_mtime.tv_nsec});
    // Not every file system keeps a birth time; the last change stands in.
    const statx_timestamp& born = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_mtime;
    facts.creationTime = Ticks({static_cast<time_t>(born.tv_sec), born.tv_nsec});
    return facts;
}

Status HostFileSystem::copyFile(const std::string& from, const std::string& to, const CopyProgress& progress,
                                bool replace) {
    std::string source = HostPath(from), target = HostPath(to);
    auto fail = [&](uint32_t code) { return Failure{"copy file", from + " -> " + to, code}; };
    int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return fail(WindowsCode(errno, source));
    ScopeExit closeIn([&] { ::close(in); });
    struct stat st {};
    if (::fstat(in, &st) != 0) return fail(WindowsCode(errno, source));
    if (S_ISDIR(st.st_mode)) return fail(errors::kAccessDenied);
    struct stat existing {};
    if (!replace && ::lstat(target.c_str(), &existing) == 0) return fail(errors::kFileExists);

    // Into a temporary file beside the target, renamed only when whole.
    std::string temporary = TemporaryBeside(target);
    int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0) return fail(WindowsCode(errno, temporary));
    bool outOpen = true;
    ScopeExit dropTemporary([&] {
        if (outOpen) ::close(out);
        ::unlink(temporary.c_str());
    });
    const uint64_t total = static_cast<uint64_t>(st.st_size);
    uint64_t done = 0;
    if (progress && !progress(done, total)) return fail(errors::kRequestAborted);
    // In the kernel, in pieces that report progress, as CopyFileEx copies;
    // through a buffer where the file systems cannot (another device, an old kernel).
    bool inKernel = true;
    std::vector<char> buffer;
    while (true) {
        ssize_t n;
        if (inKernel) {
            n = ::copy_file_range(in, nullptr, out, nullptr, 4u << 20, 0);
            if (n < 0 && done == 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                inKernel = false;
                continue;
            }
        } else {
            if (buffer.empty()) buffer.resize(1 << 20);
            n = ::read(in, buffer.data(), buffer.size());
            if (n > 0 && !WriteAll(out, std::string_view(buffer.data(), static_cast<size_t>(n)))) {
                return fail(WindowsCode(errno, temporary));
            }
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(WindowsCode(errno, source));
        if (n == 0) break;
        done += static_cast<uint64_t>(n);
        if (progress && !progress(done, total)) return fail(errors::kRequestAborted);
    }
    // The copy keeps the source's last-write time, as CopyFileEx does. Like
    // CopyFileEx it is not flushed: files that must survive a power cut are
    // written with writeFile.
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out, times);
    outOpen = false;
    if (::close(out) != 0) return fail(WindowsCode(errno, temporary));
    if (replace) {
        if (::rename(temporary.c_str(), target.c_str()) != 0) return fail(WindowsCode(errno, target));
    } else {
        // link() refuses an existing target, also one made since the check.
        if (::link(temporary.c_str(), target.c_str()) != 0) {
            return fail(errno == EEXIST ? errors::kFileExists : WindowsCode(errno, target));
        }
    }
    return {};
}

Status HostFileSystem::moveFile(const std::string& from, const std::string& to, bool replace) {
    std::string source = HostPath(from), target = HostPath(to);
    auto fail = [&](uint32_t code) { return Failure{"move file", from + " -> " + to, code}; };
    struct stat st {};
    if (::lstat(source.c_str(), &st) != 0) return fail(WindowsCode(errno, source));
    int moved = replace ? ::rename(source.c_str(), target.c_str())
                        : ::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
    if (moved == 0) return {};
    if (errno == EXDEV && S_ISREG(st.st_mode)) {
        // Another volume: copied, then the source goes.
        Status copied = copyFile(from, to, nullptr, replace);
        if (!copied) return fail(copied.failure().code == errors::kFileExists ? errors::kAlreadyExists
                                                                             : copied.failure().code);
        if (::unlink(source.c_str()) != 0) return fail(WindowsCode(errno, source));
        return {};
    }
    if (errno == EEXIST) return fail(errors::kAlreadyExists);
    return fail(WindowsCode(errno, target));
}

Status HostFileSystem::appendFile(const std::string& path, std::string_view data) {
    std::string host = HostPath(path);
    int fd = ::open(host.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return Failure{"append to file", path, WindowsCode(errno, host)};
    bool written = WriteAll(fd, data);
    int error = errno;
    ::close(fd);
    if (!written) return Failure{"append to file", path, WindowsCode(error, host)};
    return {};
}

Status HostFileSystem::setAttributes(const std::string& path, uint32_t attributes) {
    // Only read-only has a counterpart here: the owner's write permission.
    std::string host = HostPath(path);
    struct stat st {};
    if (::lstat(host.c_str(), &st) != 0) return Failure{"set attributes", path, WindowsCode(errno, host)};
    if (S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode)) return {};
    mode_t mode = (attributes & kFileAttributeReadOnly) ? (st.st_mode & ~S_IWUSR) : (st.st_mode | S_IWUSR);
    if (::chmod(host.c_str(), mode & 07777) != 0) return Failure{"set attributes", path, WindowsCode(errno, host)};
    return {};
}

Status HostFileSystem::removeDirectory(const std::string& path) {
    std::string host = HostPath(path);
    if (::rmdir(host.c_str()) == 0) return {};
    int error = errno;
    uint32_t code = WindowsCode(error, host);
    struct stat st {};
    if (error == EEXIST || error == ENOTEMPTY) code = errors::kDirNotEmpty;
    else if (error == ENOTDIR && ::lstat(host.c_str(), &st) == 0) code = errors::kDirectory;  // a file
    return Failure{"remove folder", path, code};
}

Result<std::string> HostFileSystem::longPathName(const std::string& path) {
    // No short names here: an existing path is its own long form.
    std::string host = HostPath(path);
    struct stat st {};
    if (::lstat(host.c_str(), &st) != 0) return Failure{"long path name", path, WindowsCode(errno, host)};
    return path;
}

Result<std::unique_ptr<FileReader>> HostFileSystem::openRead(const std::string& path) {
    std::string host = HostPath(path);
    int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Failure{"open file", path, WindowsCode(errno, host)};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return Failure{"open file", path, errors::kAccessDenied};
    }
    return std::unique_ptr<FileReader>(std::make_unique<HostFileReader>(fd, path));
}

}  // namespace qnb
