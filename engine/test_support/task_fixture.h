// A folder on the host for the engine's tests, seen as drive T:, with the
// file stores the engine writes through.
#pragma once

#include "engine/part_file_posix.h"
#include "platform/posix/host_file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <thread>

namespace qnb::engine::test {

class TaskFolder {
public:
    TaskFolder() {
        std::string t = root_ + "/T";
        ::mkdir(t.c_str(), 0755);
        ::mkdir((t + "/Data").c_str(), 0755);
    }
    ~TaskFolder() { std::system(("rm -rf '" + root_ + "'").c_str()); }
    HostFileSystem& files() { return files_; }
    PosixFileStore& store() { return store_; }
    bool Exists(const std::string& path) { return files_.access(path, FileSystem::kExists); }
    std::string Read(const std::string& path) { return files_.readFile(path).value_or("<missing>"); }

    static constexpr const char* kFolder = "T:\\Data\\";

private:
    static std::string MakeRoot() {
        char pattern[] = "/tmp/qnb-engine-XXXXXX";
        return ::mkdtemp(pattern);
    }
    std::string root_ = MakeRoot();
    HostFileSystem files_{root_};
    PosixFileStore store_{files_};
};

inline std::string RandomBody(size_t size, unsigned seed = 7) {
    std::mt19937 rng(seed);
    std::string body(size, '\0');
    for (char& c : body) c = static_cast<char>(rng());
    return body;
}

// Polls until done() holds or the time is up.
inline bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace qnb::engine::test
