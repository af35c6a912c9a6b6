// One download of the engine: a controller thread that runs a session each
// time the task is started, and per session up to a few connection threads
// that fetch byte ranges into the partial file. Progress is recorded in the
// control file beside it, so that a later session, task or process goes on
// where this one stopped. The target appears under its own name only when
// it is complete.
#pragma once

#include "engine/engine_api.h"
#include "engine/part_file.h"
#include "engine/segment_plan.h"
#include "engine/transport.h"
#include "platform/file_system.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qnb::engine {

struct EngineOptions {
    int connections = 8;                       // at most, when the server takes ranges
    uint64_t minPiece = 4u << 20;              // a connection's share is at least this large, and a range
                                               // is split only into halves at least this large; also
                                               // what the first request asks for
    uint64_t maxRequest = 32u << 20;           // a connection asks for at most this much at once: servers
                                               // that pace their answers (nginx's limit_rate) pace each
                                               // from its own start, and one that falls behind holds less
    size_t bufferSize = 1u << 20;              // per connection
    std::chrono::milliseconds tick{100};       // how often the controller looks at its connections
    std::chrono::milliseconds saveInterval{500};  // how often progress is made durable,
    uint64_t saveBytes = 8u << 20;                // or sooner, once this much more has come
    std::chrono::milliseconds speedWindow{2000};
};

struct TaskSetup {
    std::string url;       // UTF-8
    std::string folder;    // ends with "\"
    std::string fileName;
    bool resume = true;    // keep and use the control file
};

struct TaskSnapshot {
    int32_t status = kStatusCreated;
    int32_t error = kErrorNone;
    uint64_t total = 0;
    uint64_t done = 0;
    uint32_t speed = 0;
};

class DownloadTask {
public:
    DownloadTask(TaskSetup setup, Transport& transport, FileStore& store, FileSystem& files,
                 const EngineOptions& options);
    ~DownloadTask();
    DownloadTask(const DownloadTask&) = delete;
    DownloadTask& operator=(const DownloadTask&) = delete;

    // Runs the task (again); a complete task stays complete.
    void Start();
    // Pauses: the connections end soon after; progress is kept.
    void Stop();
    TaskSnapshot Snapshot() const;
    // Stops and waits until every thread of the task has ended.
    void Shutdown();

    const TaskSetup& Setup() const { return setup_; }
    std::string TargetPath() const { return setup_.folder + setup_.fileName; }
    std::string PartPath() const { return TargetPath() + kPartSuffix; }
    std::string ControlPath() const { return TargetPath() + kControlSuffix; }

private:
    enum class Outcome { kComplete, kStopped, kFailed };
    struct Session;

    void ControllerLoop();
    Outcome RunSession();
    Outcome Fail(EngineError error);
    void Connection(Session& session, int id, std::unique_ptr<HttpStream> stream, uint64_t streamEnd);
    void SingleStream(Session& session, std::unique_ptr<HttpStream> stream);
    void RecordError(Session& session, EngineError error, bool fatal);
    void SaveControl(Session& session);
    void Discard();
    void Sample();

    const TaskSetup setup_;
    Transport& transport_;
    FileStore& store_;
    FileSystem& files_;
    const EngineOptions options_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::thread controller_;
    bool runRequested_ = false;
    bool sessionActive_ = false;
    bool quit_ = false;
    std::atomic<bool> stopSession_{false};
    int32_t status_ = kStatusCreated;
    int32_t error_ = kErrorNone;
    uint64_t total_ = 0;
    uint64_t done_ = 0;
    std::deque<std::pair<std::chrono::steady_clock::time_point, uint64_t>> samples_;
};

}  // namespace qnb::engine
