// CDownloadManager: the process's downloads. Windows ask for a file by URL
// and poll its progress; one worker job drives the engine library,
// restarts stalled or failing engine tasks a bounded number of times, and
// records completed downloads in Download.json so that a later run does not
// fetch them again.
#pragma once

#include "download/engine_library.h"
#include "jobs/job.h"
#include "log/log.h"
#include "platform/file_system.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qnb {

// Record states; other engine status values are stored as they come.
enum DownloadState : int32_t {
    kDownloadNew = 0,
    kDownloadFailed = 1,
    kDownloadPaused = 2,
    kDownloadRunning = 3,
    kDownloadComplete = 4,
};

constexpr int32_t kRetriesReported = 1000;  // a failure already reported once
constexpr int32_t kRetryLimit = 10;
constexpr int32_t kRestartsWithSameTask = 4;
constexpr int64_t kStallSeconds = 30;       // no speed for longer than this while downloading: stop
constexpr std::chrono::milliseconds kDownloadPassInterval{1000};

// One download.
struct DownloadTask {
    std::string url;
    std::string savePath;
    int32_t state = kDownloadNew;
    int32_t percent = 0;
    uint64_t totalBytes = 0;
    uint64_t doneBytes = 0;
    int32_t speed = 0;
    EngineHandle engineHandle = nullptr;
    int32_t retries = 0;
    int64_t lastProgress = 0;  // seconds on the manager's clock
};

// What the manager needs from outside.
struct DownloadManagerPorts {
    FileSystem* files = nullptr;
    // The engine library, once it can be had: may wait for the deployment
    // (giving up when stop is requested); nothing when there is no engine
    // (the worker then ends).
    std::function<std::unique_ptr<EngineLibrary>(const StopToken& stop)> openEngine;
    // The worker's passes and the stall rule go by this clock.
    Clock* clock = &SystemClock();
    // Renames a file, replacing the target.
    std::function<bool(const std::string& from, const std::string& to)> rename;
    // Where state changes and failures are written; none when null.
    Log* log = nullptr;
};

class CDownloadManager {
public:
    CDownloadManager() = default;
    explicit CDownloadManager(DownloadManagerPorts ports) : ports_(std::move(ports)) {}
    ~CDownloadManager();
    CDownloadManager(const CDownloadManager&) = delete;
    CDownloadManager& operator=(const CDownloadManager&) = delete;

    // Set once, before any other call (the program's manager gets its
    // ports at start-up).
    void SetPorts(DownloadManagerPorts ports) { ports_ = std::move(ports); }

    // Adds a download of url into folder (UTF-8). A URL that has a record
    // already changes nothing, except a failed record, which starts again
    // from new with its count of retries cleared. The worker starts with
    // the first download.
    void AddTask(const std::string& url, const std::string& folder);
    // False when there is no record for url, and for a failed record whose
    // failure was already reported once. Every output may be null; retries
    // is capped at 10.
    bool QueryTask(const std::string& url, std::string* savePath, int32_t* state, int32_t* percent,
                   uint64_t* totalBytes, uint64_t* doneBytes, int32_t* speed, int32_t* retries);
    // The save path of url's record, or "".
    std::string GetSavePath(const std::string& url) const;
    // Reads Download.json from the workspace folder (ending with "\") and
    // restores the completed downloads whose files are still there, looked
    // for on the workspace folder's drive.
    void Initialise(const std::string& workspace);
    // Stops the worker and waits for it to end the engine; no worker starts afterwards.
    void Stop();

    // A copy of every record, front first.
    std::vector<DownloadTask> Records() const;

private:
    DownloadTask* Find(const std::string& url) const;  // with mutex_ held
    void StartWorker();                                 // with mutex_ held
    // The worker: opens the engine, then a pass about once a second until stopped.
    Status WorkerMain(JobControl& control);
    void Pass();
    void HandleRecord(DownloadTask& record);
    void WriteRecords();
    int64_t Now() const;

    DownloadManagerPorts ports_;
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<DownloadTask>> records_;  // front first; never removed while running
    std::string workspace_;
    bool stopped_ = false;
    std::unique_ptr<Job> worker_;
    std::unique_ptr<EngineLibrary> engine_;  // the worker's alone
};

// The file name a URL is saved under: the part after its last "/", without
// a query or fragment, with the characters Windows names cannot hold
// replaced by "_" (the whole URL when it has no "/").
std::string SaveNameOf(const std::string& url);

}  // namespace qnb
