// The download manager as the windows follow it: one record per address,
// read as a whole, and a download added. The windows' polls take this
// interface so that their tests can script the records.
#pragma once

#include "download/download_manager.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qnb {

// One download record as QueryTask gives it.
struct DownloadFacts {
    std::string savePath;
    int32_t state = kDownloadNew;
    int32_t percent = 0;
    uint64_t totalBytes = 0;
    uint64_t doneBytes = 0;
    int32_t speed = 0;  // bytes per second
    int32_t retries = 0;
};

class DownloadTasks {
public:
    virtual ~DownloadTasks() = default;
    // Nothing when there is no record (or its failure was reported once).
    virtual std::optional<DownloadFacts> Query(const std::string& url) = 0;
    // Starts a download of url into folder, with the engine.
    virtual void Add(const std::string& url, const std::string& folder) = 0;
};

// The program's CDownloadManager as DownloadTasks.
class ManagerTasks : public DownloadTasks {
public:
    explicit ManagerTasks(CDownloadManager& manager) : manager_(manager) {}
    std::optional<DownloadFacts> Query(const std::string& url) override;
    void Add(const std::string& url, const std::string& folder) override;

private:
    CDownloadManager& manager_;
};

}  // namespace qnb
