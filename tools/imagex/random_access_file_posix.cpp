#include "tools/imagex/random_access_file.h"

#include <cstdio>
#include <sys/stat.h>

namespace qnb::imagex {

namespace {

class PosixFile : public RandomAccessFile {
public:
    PosixFile(std::FILE* file, uint64_t size) : file_(file), size_(size) {}
    ~PosixFile() override { std::fclose(file_); }
    uint64_t size() const override { return size_; }
    bool ReadAt(uint64_t offset, size_t length, uint8_t* out) override {
        return fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0 && std::fread(out, 1, length, file_) == length;
    }

private:
    std::FILE* file_;
    uint64_t size_;
};

}  // namespace

std::unique_ptr<RandomAccessFile> OpenForReading(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return nullptr;
    struct stat facts;
    if (fstat(fileno(file), &facts) != 0 || !S_ISREG(facts.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return std::make_unique<PosixFile>(file, static_cast<uint64_t>(facts.st_size));
}

}  // namespace qnb::imagex
