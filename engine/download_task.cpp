#include "engine/download_task.h"

#include "engine/control_file.h"

#include <algorithm>

namespace qnb::engine {

// What one run of the task shares between its threads (fields guarded by
// the task's mutex unless atomic).
struct DownloadTask::Session {
    std::unique_ptr<PartFile> file;
    std::unique_ptr<SegmentPlan> plan;  // when the server takes ranges or the size is known
    bool ranges = false;
    std::optional<uint64_t> total;
    std::string url;                    // after redirects
    std::string validator;              // If-Range value; empty when the server gave none
    bool streamComplete = false;        // a single stream reached its end with every byte
    std::atomic<bool> abort{false};     // a fatal error: every connection ends
    EngineError firstError = kErrorNone;
    uint64_t share = UINT64_MAX;        // the most a connection takes of the unassigned bytes at once
    int live = 0;
};

DownloadTask::DownloadTask(TaskSetup setup, Transport& transport, FileStore& store, FileSystem& files,
                           const EngineOptions& options)
    : setup_(std::move(setup)), transport_(transport), store_(store), files_(files), options_(options) {}

DownloadTask::~DownloadTask() { Shutdown(); }

void DownloadTask::Start() {
    std::lock_guard lock(mutex_);
    if (quit_ || status_ == kStatusComplete) return;
    status_ = kStatusDownloading;
    error_ = kErrorNone;
    if (sessionActive_ && !stopSession_) return;  // running already
    runRequested_ = true;
    if (!controller_.joinable()) controller_ = std::thread([this] { ControllerLoop(); });
    wake_.notify_all();
}

void DownloadTask::Stop() {
    std::lock_guard lock(mutex_);
    runRequested_ = false;
    if (sessionActive_) stopSession_ = true;
    if (status_ == kStatusDownloading || status_ == kStatusCreated) status_ = kStatusPaused;
}

void DownloadTask::Shutdown() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        runRequested_ = false;
        stopSession_ = true;
        wake_.notify_all();
    }
    if (controller_.joinable()) controller_.join();
}

TaskSnapshot DownloadTask::Snapshot() const {
    std::lock_guard lock(mutex_);
    TaskSnapshot s;
    s.status = status_;
    s.error = error_;
    s.total = total_;
    s.done = done_;
    if (sessionActive_ && samples_.size() >= 2) {
        auto [t0, d0] = samples_.front();
        auto [t1, d1] = samples_.back();
        double seconds = std::chrono::duration<double>(t1 - t0).count();
        if (seconds > 0 && d1 > d0) s.speed = static_cast<uint32_t>(std::min(double(UINT32_MAX), (d1 - d0) / seconds));
    }
    return s;
}

void DownloadTask::Sample() {
    auto now = std::chrono::steady_clock::now();
    samples_.emplace_back(now, done_);
    while (samples_.size() > 2 && now - samples_[1].first >= options_.speedWindow) samples_.pop_front();
}

void DownloadTask::ControllerLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return runRequested_ || quit_; });
        if (quit_) return;
        runRequested_ = false;
        stopSession_ = false;
        sessionActive_ = true;
        samples_.clear();
        lock.unlock();
        Outcome outcome = RunSession();
        lock.lock();
        sessionActive_ = false;
        samples_.clear();
        if (outcome == Outcome::kComplete) {
            status_ = kStatusComplete;
            error_ = kErrorNone;
            runRequested_ = false;
        } else if (runRequested_) {
            continue;  // started again while this run wound down: the status already says downloading
        } else if (outcome == Outcome::kFailed && !stopSession_) {
            status_ = kStatusError;
        } else if (status_ == kStatusDownloading) {
            status_ = kStatusPaused;
        }
    }
}

DownloadTask::Outcome DownloadTask::Fail(EngineError error) {
    std::lock_guard lock(mutex_);
    error_ = error;
    return Outcome::kFailed;
}

void DownloadTask::Discard() {
    store_.Remove(PartPath());
    files_.deleteFile(ControlPath());
}

void DownloadTask::RecordError(Session& session, EngineError error, bool fatal) {
    std::lock_guard lock(mutex_);
    if (session.firstError == kErrorNone) session.firstError = error;
    if (fatal) session.abort = true;
}

void DownloadTask::SaveControl(Session& session) {
    if (!setup_.resume || !session.ranges) return;
    ControlState state;
    {
        std::lock_guard lock(mutex_);
        state.remaining = session.plan->Remaining();
    }
    // The control file never claims bytes that are not on the disk yet.
    if (!session.file->Flush()) return;
    state.url = setup_.url;
    state.total = *session.total;
    state.validator = session.validator;
    files_.writeFile(ControlPath(), EncodeControl(state));
}

DownloadTask::Outcome DownloadTask::RunSession() {
    Session session;
    session.url = setup_.url;
    if (setup_.url.rfind("http://", 0) != 0 && setup_.url.rfind("https://", 0) != 0) return Fail(kErrorUrl);

    // What an earlier run left, if it belongs to this address.
    std::optional<ControlState> saved;
    if (setup_.resume) {
        if (auto bytes = files_.readFile(ControlPath())) saved = DecodeControl(*bytes);
        if (saved && (saved->url != setup_.url || saved->remaining.empty())) saved.reset();
        if (saved) session.file = store_.OpenExisting(PartPath(), saved->total);
        if (!session.file) saved.reset();
    }

    // The first request tells whether the server takes ranges, and the size.
    std::unique_ptr<HttpStream> stream;
    HttpRequest probe;
    bool plain = false;  // asks for the whole file without a range (an empty file has none to give)
    uint64_t probeEnd = 0;
    for (int attempt = 0;; ++attempt) {
        if (attempt == 3) return Fail(kErrorProtocol);
        if (!saved) {
            session.file.reset();
            Discard();
        }
        probe = HttpRequest{};
        probe.url = setup_.url;
        probe.ranged = !plain;
        // A short first range: the connections then share the rest in
        // equal parts, each asking for exactly its own.
        uint64_t end = options_.minPiece;
        if (saved) {
            probe.begin = saved->remaining.front().begin;
            probe.ifRange = saved->validator;
            end = std::min(saved->remaining.front().end, probe.begin + options_.minPiece);
        }
        probe.last = end - 1;
        EngineError error = kErrorNone;
        stream = transport_.Open(probe, &error);
        if (!stream) return Fail(error == kErrorNone ? kErrorConnect : error);
        if (stopSession_) return Outcome::kStopped;
        const HttpAnswer& answer = stream->Answer();
        if (answer.status == 206 && probe.ranged) {
            auto range = ParseContentRange(answer.contentRange);
            if (!range || range->first != probe.begin || !range->total || range->last > *probe.last)
                return Fail(kErrorProtocol);
            probeEnd = range->last + 1;
            if (saved && *range->total != saved->total) {  // another file now: start over
                saved.reset();
                continue;
            }
            session.ranges = true;
            session.total = range->total;
            break;
        }
        if (answer.status == 200) {
            // No ranges, or the file changed since the earlier run (If-Range).
            saved.reset();
            session.file.reset();
            Discard();
            session.total = answer.contentLength;
            break;
        }
        if (answer.status == 416 && probe.ranged) {
            // Nothing at that offset: the file shrank, or it is empty.
            if (saved) {
                saved.reset();
            } else {
                plain = true;
            }
            continue;
        }
        return Fail(kErrorHttp);
    }
    const HttpAnswer& answer = stream->Answer();
    if (!answer.finalUrl.empty()) session.url = answer.finalUrl;
    // A weak ETag cannot stand for the bytes in If-Range; the date can.
    session.validator = answer.etag.rfind("W/", 0) == 0 || answer.etag.empty() ? answer.lastModified : answer.etag;

    if (!session.file) {
        EngineError error = kErrorNone;
        session.file = store_.Create(PartPath(), session.total.value_or(0), &error);
        if (!session.file) return Fail(error);
    }
    std::vector<ByteRange> remaining;
    if (saved) {
        remaining = saved->remaining;
    } else if (session.total) {
        remaining = {{0, *session.total}};
    }
    {
        std::lock_guard lock(mutex_);
        if (session.total) {
            session.plan = std::make_unique<SegmentPlan>(*session.total, remaining, options_.minPiece);
            total_ = *session.total;
            done_ = session.plan->Done();
        } else {
            total_ = 0;
            done_ = 0;
        }
        samples_.clear();
        Sample();
    }
    if (session.ranges && !saved) SaveControl(session);

    std::vector<std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        if (session.ranges) {
            // Equal shares of what is left, one per connection, asked for in
            // pieces of at most maxRequest.
            uint64_t left = *session.total - session.plan->Done();
            uint64_t connections = static_cast<uint64_t>(std::max(1, options_.connections));
            session.share = std::max(options_.minPiece,
                                     std::min(options_.maxRequest, (left + connections - 1) / connections));
            std::optional<int> first = session.plan->TakeAt(probe.begin, session.share);
            if (!first) stream.reset();
            session.live = options_.connections;
            threads.emplace_back([this, &session, id = first.value_or(0), s = std::move(stream), probeEnd]() mutable {
                Connection(session, id, std::move(s), probeEnd);
            });
            for (int i = 1; i < options_.connections; ++i) {
                threads.emplace_back([this, &session] { Connection(session, 0, nullptr, 0); });
            }
        } else {
            session.live = 1;
            threads.emplace_back([this, &session, s = std::move(stream)]() mutable { SingleStream(session, std::move(s)); });
        }
    }

    // Watch: speed samples, and progress made durable now and then: after a
    // while, or sooner when much has come, since what arrived after the last
    // save is fetched again should the process end without warning.
    auto lastSave = std::chrono::steady_clock::now();
    uint64_t savedDone = 0;
    for (;;) {
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, options_.tick, [&] { return session.live == 0; })) break;
        Sample();
        const uint64_t done = done_;
        lock.unlock();
        if (std::chrono::steady_clock::now() - lastSave >= options_.saveInterval ||
            done - savedDone >= options_.saveBytes) {
            SaveControl(session);
            lastSave = std::chrono::steady_clock::now();
            savedDone = done;
        }
    }
    for (std::thread& t : threads) t.join();

    bool complete;
    {
        std::lock_guard lock(mutex_);
        complete = !session.abort && (session.plan ? session.plan->Complete() : session.streamComplete);
        if (!session.ranges && !complete) done_ = 0;  // without ranges a new run starts from the beginning
    }
    if (complete) {
        bool flushed = session.file->Flush();
        session.file.reset();
        if (!flushed || !store_.Replace(PartPath(), TargetPath())) return Fail(kErrorFile);
        files_.deleteFile(ControlPath());
        std::lock_guard lock(mutex_);
        if (!session.total) total_ = done_;
        return Outcome::kComplete;
    }
    SaveControl(session);
    if (stopSession_) return Outcome::kStopped;
    return Fail(session.firstError == kErrorNone ? kErrorTransfer : session.firstError);
}

void DownloadTask::Connection(Session& session, int id, std::unique_ptr<HttpStream> stream, uint64_t streamEnd) {
    std::vector<uint8_t> buffer(options_.bufferSize);
    // The stream, when there is one, delivers [position, streamEnd) of the
    // file, where position is the start of what is left of the assignment.
    while (!stopSession_ && !session.abort) {
        ByteRange range;
        {
            std::lock_guard lock(mutex_);
            if (id == 0) {
                std::optional<int> taken = session.plan->Take(session.share);
                if (!taken) break;
                id = *taken;
            }
            range = session.plan->Current(id);
        }
        if (range.size() == 0) {  // done, or cut off by a connection that took its back half
            stream.reset();
            std::lock_guard lock(mutex_);
            session.plan->Release(id);
            id = 0;
            continue;
        }
        if (!stream) {
            HttpRequest request;
            request.url = session.url;
            request.ranged = true;
            request.begin = range.begin;
            request.last = range.end - 1;
            request.ifRange = session.validator;
            EngineError error = kErrorNone;
            stream = transport_.Open(request, &error);
            if (!stream) {
                RecordError(session, error == kErrorNone ? kErrorConnect : error, false);
                break;
            }
            const HttpAnswer& answer = stream->Answer();
            if (answer.status != 206) {
                // 200 here means the file changed under us: nothing fetched from now on fits.
                RecordError(session, answer.status == 200 ? kErrorProtocol : kErrorHttp, answer.status == 200);
                break;
            }
            auto got = ParseContentRange(answer.contentRange);
            if (!got || got->first != range.begin || got->last > *request.last || got->total != session.total) {
                RecordError(session, kErrorProtocol, true);
                break;
            }
            streamEnd = got->last + 1;
        }
        if (range.begin >= streamEnd) {  // this answer is used up; the assignment goes on
            stream.reset();
            continue;
        }
        size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), streamEnd - range.begin));
        int64_t n = stream->Read(buffer.data(), want);
        if (n <= 0) {  // broken, or closed before the range was complete
            RecordError(session, kErrorTransfer, false);
            break;
        }
        // The assignment may have shrunk while we read.
        uint64_t keep = std::min<uint64_t>(uint64_t(n), range.size());
        EngineError error = kErrorNone;
        if (!session.file->WriteAt(range.begin, buffer.data(), keep, &error)) {
            RecordError(session, error, true);
            break;
        }
        std::lock_guard lock(mutex_);
        done_ += session.plan->Advance(id, keep);
    }
    std::lock_guard lock(mutex_);
    if (id != 0) session.plan->Release(id);
    --session.live;
    wake_.notify_all();
}

void DownloadTask::SingleStream(Session& session, std::unique_ptr<HttpStream> stream) {
    std::vector<uint8_t> buffer(options_.bufferSize);
    uint64_t offset = 0;
    int id = 0;
    if (session.plan) {
        std::lock_guard lock(mutex_);
        id = session.plan->Take().value_or(0);
    }
    while (!stopSession_ && !session.abort) {
        int64_t n = stream->Read(buffer.data(), buffer.size());
        if (n < 0) {
            RecordError(session, kErrorTransfer, false);
            break;
        }
        if (n == 0) {
            std::lock_guard lock(mutex_);
            // With a known size every byte must have come; without one, the end is the end.
            if (session.plan && !session.plan->Complete()) {
                if (session.firstError == kErrorNone) session.firstError = kErrorTransfer;
            } else {
                session.streamComplete = true;
            }
            break;
        }
        uint64_t keep = uint64_t(n);
        if (session.plan) {
            std::lock_guard lock(mutex_);
            keep = std::min<uint64_t>(keep, session.plan->Current(id).size());
        }
        if (keep < uint64_t(n)) {  // more than the announced length
            RecordError(session, kErrorProtocol, true);
            break;
        }
        EngineError error = kErrorNone;
        if (!session.file->WriteAt(offset, buffer.data(), keep, &error)) {
            RecordError(session, error, true);
            break;
        }
        offset += keep;
        std::lock_guard lock(mutex_);
        if (session.plan) session.plan->Advance(id, keep);
        done_ = offset;
    }
    std::lock_guard lock(mutex_);
    --session.live;
    wake_.notify_all();
}

}  // namespace qnb::engine
