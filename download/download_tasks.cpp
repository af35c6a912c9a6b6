#include "download/download_tasks.h"

namespace qnb {

std::optional<DownloadFacts> ManagerTasks::Query(const std::string& url) {
    DownloadFacts f;
    if (!manager_.QueryTask(url, &f.savePath, &f.state, &f.percent, &f.totalBytes, &f.doneBytes, &f.speed,
                            &f.retries)) {
        return std::nullopt;
    }
    return f;
}

void ManagerTasks::Add(const std::string& url, const std::string& folder) { manager_.AddTask(url, folder); }

}  // namespace qnb
