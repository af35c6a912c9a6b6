// CDownloadManager: the process's downloads. Windows ask for a file by URL
// and poll its progress; one worker job drives the engine library,
// restarts stalled or failing engine tasks a bounded number of times,
// checks every file the engine calls complete against what its address
// names (app/download_address.h: size, SHA-256), and records completed
// downloads in Download.json so that a later run does not fetch them again.
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
#include <optional>
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
// A download the engine will finish sooner is looked at again when it
// should be done, but never sooner than this.
constexpr std::chrono::milliseconds kDownloadPassSoonest{10};
// A download just started is looked at this often until its speed is known
// (for at most kDownloadWatchStart), so that a small file is seen complete at
// once and the end of a large one can be foreseen.
constexpr std::chrono::milliseconds kDownloadPassAfterStart{100};
constexpr std::chrono::milliseconds kDownloadWatchStart{2000};

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
    Clock::TimePoint started{};  // when the engine task was last started, on the manager's clock
    std::string sha256;        // what the file must hash to; "" when its address names nothing
    uint64_t size = 0;         // what it must hold: named by the address, or found when it completed; 0 unknown
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
    // the first download, and a new download starts at once. Nothing on
    // disk is touched here: an older file of the same name is removed by
    // the worker, and only once Download.json has been read (Initialise),
    // which may find that very file complete.
    void AddTask(const std::string& url, const std::string& folder);
    // False when there is no record for url, and for a failed record whose
    // failure was already reported once. Every output may be null; retries
    // is capped at 10.
    bool QueryTask(const std::string& url, std::string* savePath, int32_t* state, int32_t* percent,
                   uint64_t* totalBytes, uint64_t* doneBytes, int32_t* speed, int32_t* retries);
    // The save path of url's record, or "".
    std::string GetSavePath(const std::string& url) const;
    // Reads Download.json from the workspace folder (ending with "\") and
    // restores the completed downloads whose files are still there, with
    // the size they were recorded with, looked for on the workspace
    // folder's drive. Until it has run (also with an empty workspace), the
    // worker starts no download. A workspace that is not trusted (adopted
    // from an earlier run that others could change) restores nothing: its
    // Download.json and the engine's resume files are removed.
    void Initialise(const std::string& workspace, bool trusted = true);
    // The file of url's complete record, checked once more against its
    // recorded size and hash (on the caller's thread; the hash reads the
    // whole file): what the installer calls before it copies the package
    // or hands over the image. A file that changed since fails, and its
    // record becomes new, so that it is fetched again.
    Result<std::string> VerifiedFile(const std::string& url, const StopToken& stop = {});
    // Stops the worker and waits for it to end the engine; no worker starts afterwards.
    void Stop();

    // A copy of every record, front first.
    std::vector<DownloadTask> Records() const;

private:
    DownloadTask* Find(const std::string& url) const;  // with mutex_ held
    void StartWorker();                                 // with mutex_ held
    void Wake();                                        // with mutex_ held: the next pass comes now
    // The worker: opens the engine, then a pass about once a second until stopped.
    Status WorkerMain(JobControl& control);
    // One pass; returns how long the worker may wait before the next.
    Clock::Duration Pass(const StopToken& stop);
    void HandleRecord(DownloadTask& record, const StopToken& stop);
    // Waits for the next pass or a wake; false on stop.
    bool WaitForNextPass(JobControl& control, Clock::Duration wait);
    // The engine called the file complete: its size and hash decide.
    // Nothing when the check was stopped; otherwise whether the file is the one named.
    std::optional<Status> CheckCompleted(DownloadTask& r, uint64_t engineTotal, const StopToken& stop);
    // Gives up on a download whose bytes are not the ones named: the engine
    // task goes, with the files it made; the record fails.
    enum class Leftovers { kNone, kPartial, kFileAndPartial };
    void Reject(DownloadTask& r, const Failure& why, Leftovers leftovers);
    void WriteRecords();
    int64_t Now() const;

    DownloadManagerPorts ports_;
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<DownloadTask>> records_;  // front first; never removed while running
    std::string workspace_;
    bool initialised_ = false;  // Download.json has been read
    bool stopped_ = false;
    bool wakePending_ = false;
    StopSource wake_;           // ends the worker's current wait
    std::unique_ptr<Job> worker_;
    std::unique_ptr<EngineLibrary> engine_;  // the worker's alone
};

// The file name a URL is saved under: the part after its last "/", without
// a query or fragment, with the characters Windows names cannot hold
// replaced by "_" (the whole URL when it has no "/"); a name that is still
// no safe name for the workspace (platform/file_names.h) is replaced by one
// made from the address.
std::string SaveNameOf(const std::string& url);

}  // namespace qnb
