// The local test service (testbed/service/service.py) as a child process of
// a native test: started on a free loopback port, ended by its process id.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace qnb::test {

class LocalService {
public:
    // switches: NAME=VALUE texts, as service.py --set takes them; port 0 = a free one.
    explicit LocalService(std::vector<std::string> switches = {}, std::string filesFolder = {}, uint16_t port = 0);
    ~LocalService();
    LocalService(const LocalService&) = delete;
    LocalService& operator=(const LocalService&) = delete;

    bool Running() const { return pid_ > 0; }
    uint16_t port() const { return port_; }
    // Ends the process and waits for it.
    void Stop();
    // Changes switches through /_control/set (query text, e.g. "fail=503&times=2").
    bool Set(const std::string& query);
    // Clears every switch.
    bool Reset();
    // The logged requests of one group (syslist, getpe, update, report, files, gen) as raw JSON lines.
    std::vector<std::string> LogLines(const std::string& group) const;

private:
    pid_t pid_ = -1;
    uint16_t port_ = 0;
    std::string logPath_;
};

// A free loopback port (free a moment ago).
uint16_t FreePort();

// A whole GET answer read through a plain socket (header and body); empty on failure.
std::string RawGet(uint16_t port, const std::string& pathAndQuery);

}  // namespace qnb::test
