// Which security programs are on the machine, for the guide that shows how
// to switch them off. Each detector looks at registry values, folders and
// running processes (and, for Windows Defender, a service) through a probe;
// the names it looks for are stored scrambled.
#pragma once

#include "platform/file_system.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qnb::ui {

// A stored text: bytes raised by the runtime library's random generator
// from seed, ending at the terminating zero.
struct ScrambledText {
    uint32_t seed;
    const char* bytes;
};
// The classic runtime-library generator: state * 214013 + 2531011, output bits 16 to 30.
class RuntimeRandom {
public:
    explicit RuntimeRandom(uint32_t seed) : state_(seed) {}
    int Next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }

private:
    uint32_t state_;
};
// The plain (ANSI) text.
std::string Unscramble(const ScrambledText& text);

// The machine facts the detectors read. Registry keys are under the
// local-machine root unless named otherwise; texts are UTF-8.
class SecurityProbe {
public:
    virtual ~SecurityProbe() = default;
    virtual std::optional<uint32_t> ReadDword(const std::string& key, const std::string& value) = 0;
    // A text value of at most maxBytes.
    virtual std::optional<std::string> ReadText(const std::string& key, const std::string& value, size_t maxBytes) = 0;
    // The default value of a key under the classes root.
    virtual std::optional<std::string> ReadClassesDefault(const std::string& key) = 0;
    virtual bool Exists(const std::string& path) = 0;
    // The Program Files folder, ending with a backslash; "" when unknown.
    virtual std::string ProgramFiles() = 0;
    // Entries of a folder ("." and ".." left out); empty when it cannot be listed.
    virtual std::vector<DirectoryEntry> List(const std::string& folder) = 0;
    // Executable names of the running processes; nothing when the snapshot fails.
    virtual std::optional<std::vector<std::string>> ProcessNames() = 0;
    // Whether a service is running; nothing when it cannot be asked.
    virtual std::optional<bool> ServiceRunning(const std::string& name) = 0;
    // The OS type code of the Windows on the system partition.
    virtual int OsTypeCode() = 0;
};

// The detectors, uncached.
bool Detect360(SecurityProbe& probe);
bool DetectDuba(SecurityProbe& probe);
bool DetectQq(SecurityProbe& probe);
bool DetectDefender(SecurityProbe& probe);

// The detectors as the program asks them: 360, duba and QQ are evaluated
// once (their result is kept), Windows Defender on every call.
class SecurityDetector {
public:
    explicit SecurityDetector(SecurityProbe& probe) : probe_(probe) {}
    bool Has360() { return Cached(has360_, Detect360); }
    bool HasDuba() { return Cached(hasDuba_, DetectDuba); }
    bool HasQq() { return Cached(hasQq_, DetectQq); }
    bool HasDefender() { return DetectDefender(probe_); }
    // The product mask: 1 and 2 from the 360 detector, 4 QQ, 8 duba, 16 Defender.
    int DetectSecurityProducts();
    // Whether the product of a code is present.
    bool IsPresent(int code);

private:
    struct Cache {
        std::once_flag once;
        std::atomic<bool> value{false};
    };
    bool Cached(Cache& cache, bool (*detect)(SecurityProbe&));

    SecurityProbe& probe_;
    Cache has360_;
    Cache hasDuba_;
    Cache hasQq_;
};

}  // namespace qnb::ui
