#include "engine/part_file_posix.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qnb::engine {

namespace {

class PosixPartFile : public PartFile {
public:
    explicit PosixPartFile(int fd) : fd_(fd) {}
    ~PosixPartFile() override { ::close(fd_); }
    bool WriteAt(uint64_t offset, const void* data, size_t size, EngineError* error) override {
        const auto* p = static_cast<const uint8_t*>(data);
        while (size > 0) {
            ssize_t n = ::pwrite(fd_, p, size, static_cast<off_t>(offset));
            if (n <= 0) {
                *error = errno == ENOSPC ? kErrorDiskFull : kErrorFile;
                return false;
            }
            p += n;
            offset += n;
            size -= n;
        }
        return true;
    }
    bool Flush() override { return ::fsync(fd_) == 0; }

private:
    int fd_;
};

}  // namespace

std::unique_ptr<PartFile> PosixFileStore::Create(const std::string& path, uint64_t size, EngineError* error) {
    int fd = ::open(files_.HostPath(path).c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        *error = errno == ENOSPC ? kErrorDiskFull : kErrorFile;
        return nullptr;
    }
    if (size > 0) {
        int result = ::posix_fallocate(fd, 0, static_cast<off_t>(size));
        if (result != 0) {
            ::close(fd);
            ::unlink(files_.HostPath(path).c_str());
            *error = result == ENOSPC || result == EFBIG ? kErrorDiskFull : kErrorFile;
            return nullptr;
        }
    }
    return std::make_unique<PosixPartFile>(fd);
}

std::unique_ptr<PartFile> PosixFileStore::OpenExisting(const std::string& path, uint64_t size) {
    int fd = ::open(files_.HostPath(path).c_str(), O_RDWR);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || static_cast<uint64_t>(st.st_size) != size) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixPartFile>(fd);
}

bool PosixFileStore::Replace(const std::string& from, const std::string& to) {
    return std::rename(files_.HostPath(from).c_str(), files_.HostPath(to).c_str()) == 0;
}

bool PosixFileStore::Remove(const std::string& path) { return ::unlink(files_.HostPath(path).c_str()) == 0; }

}  // namespace qnb::engine
