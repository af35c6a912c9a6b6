#include "download/download_manager.h"

#include "app/download_address.h"
#include "download/download_records.h"
#include "download/file_hash.h"
#include "platform/bounded_json.h"
#include "platform/ascii.h"
#include "platform/error_codes.h"
#include "platform/file_names.h"
#include "platform/folder_tree.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <algorithm>
#include <limits>

namespace qnb {

namespace {

std::string NameOf(const DownloadTask& r) { return std::string(paths::FileName(r.savePath)); }

}  // namespace

std::string SaveNameOf(const std::string& url) {
    std::string name = url;
    size_t slash = name.find_last_of('/');
    if (slash != std::string::npos) {
        size_t cut = name.find_first_of("?#");
        if (cut != std::string::npos) {
            name.erase(cut);
            slash = name.find_last_of('/');
        }
        if (slash != std::string::npos) name = name.substr(slash + 1);
    }
    for (char& c : name) {
        if (std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos || static_cast<unsigned char>(c) < 0x20)
            c = '_';
    }
    // What is left may still be a device, "..", or one of the program's own
    // files: such a name is replaced by one made from the address.
    return SafeOutsideName(name, ParseDownloadAddress(url).request);
}

CDownloadManager::~CDownloadManager() { Stop(); }

DownloadTask* CDownloadManager::Find(const std::string& url) const {
    for (const auto& record : records_) {
        if (record->url == url) return record.get();
    }
    return nullptr;
}

void CDownloadManager::AddTask(const std::string& url, const std::string& folderIn) {
    {
        std::lock_guard lock(mutex_);
        if (DownloadTask* existing = Find(url)) {
            if (existing->state != kDownloadFailed) return;
            // Asked again after a failure: the same record starts over, so
            // that one file never has two downloads writing it.
            existing->state = kDownloadNew;
            existing->retries = 0;
            existing->percent = 0;
            existing->doneBytes = 0;
            existing->speed = 0;
            StartWorker();
            Wake();
            return;
        }
    }
    if (!ports_.files) return;  // not configured: nothing can be saved
    FileSystem& files = *ports_.files;
    std::string folder = folderIn;
    // Unlike paths::WithTrailingSeparator, an empty folder becomes "\", the current drive's root.
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    if (!files.access(folder, FileSystem::kReadWrite) && !CreateFolderTree(files, folder)) return;
    auto record = std::make_unique<DownloadTask>();
    record->url = url;
    record->savePath = folder + SaveNameOf(url);
    DownloadAddress address = ParseDownloadAddress(url);
    record->sha256 = address.sha256;
    record->size = address.size;

    std::lock_guard lock(mutex_);
    if (Find(url)) return;  // added by another thread meanwhile
    OrNoLog(ports_.log).Write("download", "added " + record->savePath + (record->sha256.empty() ? "" : ", with its hash"));
    records_.insert(records_.begin(), std::move(record));
    StartWorker();
    Wake();
}

bool CDownloadManager::QueryTask(const std::string& url, std::string* savePath, int32_t* state, int32_t* percent,
                                 uint64_t* totalBytes, uint64_t* doneBytes, int32_t* speed, int32_t* retries) {
    std::lock_guard lock(mutex_);
    DownloadTask* record = Find(url);
    if (!record || record->retries == kRetriesReported) return false;
    if (record->state == kDownloadFailed) {
        record->retries = kRetriesReported;  // reported now, and only now
    } else if (record->state == kDownloadComplete && ports_.files &&
               !ports_.files->access(record->savePath, FileSystem::kExists)) {
        record->state = kDownloadNew;
        record->percent = 0;
        record->doneBytes = 0;
        StartWorker();
        Wake();
    }
    if (savePath) *savePath = record->savePath;
    if (state) *state = record->state;
    if (percent) *percent = record->percent;
    if (totalBytes) *totalBytes = record->totalBytes;
    if (doneBytes) *doneBytes = record->doneBytes;
    if (speed) *speed = record->speed;
    if (retries) *retries = std::min(record->retries, kRetryLimit);
    return true;
}

std::string CDownloadManager::GetSavePath(const std::string& url) const {
    std::lock_guard lock(mutex_);
    DownloadTask* record = Find(url);
    return record ? record->savePath : std::string();
}

std::vector<DownloadTask> CDownloadManager::Records() const {
    std::lock_guard lock(mutex_);
    std::vector<DownloadTask> copy;
    for (const auto& record : records_) copy.push_back(*record);
    return copy;
}

void CDownloadManager::Initialise(const std::string& workspaceIn, bool trusted) {
    std::vector<CompletedDownload> entries;
    std::string workspace;
    bool recorded = false;
    if (!workspaceIn.empty() && ports_.files) workspace = paths::WithTrailingSeparator(workspaceIn);
    if (!workspace.empty() && !trusted) {
        // Whoever could change the folder could have written these: none is read.
        int removed = 0;
        for (const DirectoryEntry& entry : ports_.files->list(workspace)) {
            if (entry.attributes & (kFileAttributeDirectory | kFileAttributeReparsePoint)) continue;
            bool ours = ascii::EqualsIgnoringCase(entry.name, kDownloadRecordsName);
            for (std::string_view suffix : {std::string_view(engine::kPartSuffix), std::string_view(engine::kControlSuffix)}) {
                ours |= entry.name.size() > suffix.size() &&
                        ascii::EqualsIgnoringCase(std::string_view(entry.name).substr(entry.name.size() - suffix.size()), suffix);
            }
            if (ours && ports_.files->deleteFile(workspace + entry.name)) ++removed;
        }
        OrNoLog(ports_.log).Write("download", "the workspace is not trusted: " + std::to_string(removed) +
                                                  " records and resume files removed, nothing restored");
    } else if (!workspace.empty()) {
        const std::string path = workspace + kDownloadRecordsName;
        recorded = ports_.files->access(path, FileSystem::kReadWrite);
        if (recorded) {
            if (std::optional<std::string> bytes = json::ReadSmallFile(*ports_.files, path)) {
                entries = ParseDownloadRecords(*bytes);
            }
        }
    }
    int restored = 0;
    for (CompletedDownload& entry : entries) {
        FileSystem& files = *ports_.files;
        // A file recorded under another letter is looked for on the workspace's drive.
        entry.file[0] = workspace[0];
        // Only a file of the program's own making: directly in the workspace
        // folder, under a name an outside name may have, and no link.
        if (!ascii::EqualsIgnoringCase(paths::Folder(entry.file), workspace) ||
            CheckOutsideName(paths::FileName(entry.file)) != NameProblem::kNone) {
            OrNoLog(ports_.log).Write("download", std::string(kDownloadRecordsName) + ": an entry outside the workspace is skipped");
            continue;
        }
        if (!files.access(entry.file, FileSystem::kReadWrite)) continue;
        Result<FileFacts> facts = files.facts(entry.file);
        if (!facts || (facts->attributes & (kFileAttributeDirectory | kFileAttributeReparsePoint))) continue;
        // A file of another size than the one that completed is not that download.
        if (entry.size > 0 && facts->size != entry.size) {
            OrNoLog(ports_.log).Write("download", std::string(paths::FileName(entry.file)) +
                                                      ": not restored, its size changed since it completed");
            continue;
        }
        std::lock_guard lock(mutex_);
        DownloadTask* record = Find(entry.url);
        if (record) {
            // Added before the records were read: still untouched by the worker.
            if (record->state != kDownloadNew || record->engineHandle || record->savePath != entry.file) continue;
        } else {
            records_.insert(records_.begin(), std::make_unique<DownloadTask>());
            record = records_.front().get();
            record->url = entry.url;
            record->savePath = entry.file;
        }
        record->state = kDownloadComplete;
        record->percent = 100;
        record->sha256 = entry.sha256;
        record->size = facts->size;
        ++restored;
    }
    if (recorded) {
        OrNoLog(ports_.log).Write("download", std::string(kDownloadRecordsName) + ": " + std::to_string(restored) +
                                                  " complete downloads restored of " +
                                                  std::to_string(entries.size()) + " sound entries");
    }
    std::lock_guard lock(mutex_);
    if (!workspace.empty()) workspace_ = workspace;
    initialised_ = true;
    Wake();
}

Result<std::string> CDownloadManager::VerifiedFile(const std::string& url, const StopToken& stop) {
    DownloadTask r;
    {
        std::lock_guard lock(mutex_);
        DownloadTask* record = Find(url);
        if (!record) return Failure{"no download", url, errors::kFileNotFound};
        if (record->state != kDownloadComplete) return Failure{"download not complete", url, errors::kFileNotFound};
        r = *record;
    }
    if (!ports_.files) return Failure{"no files", r.savePath, errors::kFileNotFound};
    Result<FileFacts> facts = ports_.files->facts(r.savePath);
    std::optional<Failure> changed;
    if (!facts) {
        changed = facts.failure();
    } else if (r.size > 0 && facts->size != r.size) {
        changed = Failure{"size changed since the download completed", r.savePath, errors::kDataError};
    } else if (!r.sha256.empty()) {
        Result<std::string> hash = FileSha256(*ports_.files, r.savePath, stop);
        if (!hash) return hash.failure();  // unread or stopped: nothing is known about the file
        if (*hash != r.sha256) changed = Failure{"file changed since the download completed", r.savePath, errors::kDataError};
    }
    if (!changed) return r.savePath;
    OrNoLog(ports_.log).Failed("download", *changed);
    std::lock_guard lock(mutex_);
    DownloadTask* record = Find(url);
    if (record && record->state == kDownloadComplete) {
        // Fetched again; the worker removes the changed file before it starts.
        record->state = kDownloadNew;
        record->percent = 0;
        record->doneBytes = 0;
        StartWorker();
        Wake();
    }
    return *changed;
}

void CDownloadManager::Stop() {
    Job* worker;
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        worker = worker_.get();
    }
    // The job is never replaced once made, so it can be joined outside the lock.
    if (worker) {
        worker->RequestStop();
        worker->Join();
    }
}

void CDownloadManager::StartWorker() {
    if (worker_ || stopped_) return;
    worker_ = std::make_unique<Job>("download worker", *ports_.clock);
    worker_->Start([this](JobControl& control) { return WorkerMain(control); });
}

void CDownloadManager::Wake() {
    wakePending_ = true;
    wake_.RequestStop();
}

int64_t CDownloadManager::Now() const {
    return std::chrono::duration_cast<std::chrono::seconds>(ports_.clock->Now()).count();
}

Status CDownloadManager::WorkerMain(JobControl& control) {
    engine_ = ports_.openEngine ? ports_.openEngine(control.stopToken()) : nullptr;
    if (!engine_) {
        // Records stay new; the worker is not started again.
        if (control.StopRequested()) return Status::Ok();
        Failure failure{"load the download engine", "", 0};
        OrNoLog(ports_.log).Failed("download", failure);
        return failure;
    }
    engine_->Init();
    while (WaitForNextPass(control, Pass(control.stopToken()))) {
    }
    engine_->UnInit();
    engine_.reset();
    return Status::Ok();
}

bool CDownloadManager::WaitForNextPass(JobControl& control, Clock::Duration wait) {
    StopToken woken;
    {
        std::lock_guard lock(mutex_);
        if (wakePending_) return !control.StopRequested();
        wake_ = StopSource();
        woken = wake_.Token();
    }
    {
        // A stop ends the wait as a wake does.
        StopCallback onStop(control.stopToken(), [this] {
            std::lock_guard lock(mutex_);
            wake_.RequestStop();
        });
        control.clock().SleepFor(wait, woken);
    }
    return !control.StopRequested();
}

Clock::Duration CDownloadManager::Pass(const StopToken& stop) {
    std::vector<DownloadTask*> records;
    bool initialised;
    {
        std::lock_guard lock(mutex_);
        wakePending_ = false;  // this pass is the one asked for
        for (const auto& record : records_) records.push_back(record.get());
        initialised = initialised_;
    }
    Clock::Duration next = kDownloadPassInterval;
    for (DownloadTask* record : records) {
        if (stop.StopRequested()) break;
        DownloadTask r;
        {
            std::lock_guard lock(mutex_);
            r = *record;
        }
        // Nothing starts before Download.json has said what is complete already.
        if (r.state == kDownloadNew && !initialised) continue;
        HandleRecord(*record, stop);
        std::lock_guard lock(mutex_);
        const DownloadTask& now = *record;
        if (now.state == kDownloadRunning && now.speed == 0 &&
            ports_.clock->Now() - now.started < kDownloadWatchStart) {
            // Just started: looked at again soon, to learn its size and speed
            // (a small file may be done by then).
            next = std::min(next, kDownloadPassAfterStart);
        } else if (now.state == kDownloadRunning && now.speed > 0 && now.totalBytes > now.doneBytes) {
            // Looked at again just after it should be done (the engine then
            // still renames the file), so that its end is seen at once.
            auto left = std::chrono::milliseconds((now.totalBytes - now.doneBytes) * 1000 / uint64_t(now.speed) + 10);
            next = std::max(kDownloadPassSoonest, std::min(next, std::chrono::duration_cast<Clock::Duration>(left)));
        }
    }
    return next;
}

void CDownloadManager::Reject(DownloadTask& r, const Failure& why, Leftovers leftovers) {
    OrNoLog(ports_.log).Failed("download", why);
    if (r.engineHandle) engine_->DeleteTask(r.engineHandle);  // its threads end before the files go
    r.engineHandle = nullptr;
    if (ports_.files && leftovers != Leftovers::kNone) {
        // The file under its own name only when the engine made it: a file
        // of that name that was there before is no business of a refusal.
        if (leftovers == Leftovers::kFileAndPartial) ports_.files->deleteFile(r.savePath);
        ports_.files->deleteFile(r.savePath + engine::kPartSuffix);
        ports_.files->deleteFile(r.savePath + engine::kControlSuffix);
    }
    r.state = kDownloadFailed;
    r.retries = kRetryLimit;
    r.speed = 0;
}

std::optional<Status> CDownloadManager::CheckCompleted(DownloadTask& r, uint64_t engineTotal, const StopToken& stop) {
    if (!ports_.files) return Status::Ok();
    Result<FileFacts> facts = ports_.files->facts(r.savePath);
    if (!facts) return Status(facts.failure());
    const uint64_t size = facts->size;
    if (engineTotal > 0 && size != engineTotal) {
        return Status(Failure{"the file has " + std::to_string(size) + " bytes, the server sent " +
                                  std::to_string(engineTotal), r.savePath, errors::kDataError});
    }
    if (r.size > 0 && size != r.size) {
        return Status(Failure{"the file has " + std::to_string(size) + " bytes, its address names " +
                                  std::to_string(r.size), r.savePath, errors::kDataError});
    }
    if (!r.sha256.empty()) {
        Result<std::string> hash = FileSha256(*ports_.files, r.savePath, stop);
        if (!hash && hash.failure().code == errors::kRequestAborted) return std::nullopt;
        if (!hash) return Status(hash.failure());
        if (*hash != r.sha256) {
            return Status(Failure{"SHA-256 " + *hash + " is not the one its address names", r.savePath,
                                  errors::kDataError});
        }
    }
    r.size = size;
    return Status::Ok();
}

void CDownloadManager::HandleRecord(DownloadTask& shared, const StopToken& stop) {
    DownloadTask r;
    {
        std::lock_guard lock(mutex_);
        r = shared;
    }
    auto publish = [&] {
        std::lock_guard lock(mutex_);
        shared.totalBytes = r.totalBytes;
        shared.doneBytes = r.doneBytes;
        shared.percent = r.percent;
        shared.speed = r.speed;
        shared.lastProgress = r.lastProgress;
        shared.retries = r.retries;
        shared.engineHandle = r.engineHandle;
        shared.size = r.size;
        shared.state = r.state;
    };
    if (r.state == kDownloadNew) {
        // A task left from an earlier round goes first, so that the new one may write the file.
        if (r.engineHandle) engine_->DeleteTask(r.engineHandle);
        r.engineHandle = nullptr;
        DownloadAddress address = ParseDownloadAddress(r.url);
        if (!AcceptableDownloadUrl(r.url) || !address.valid) {
            Reject(r, Failure{"refuse an address that is none to download from", r.url.substr(0, 200),
                              errors::kInvalidParameter},
                   Leftovers::kNone);
            publish();
            return;
        }
        // An older file of that name goes, now that Download.json has been
        // read; the engine's partial download, if any, stays for it to go on with.
        if (ports_.files && ports_.files->access(r.savePath, FileSystem::kExists)) {
            OrNoLog(ports_.log).Write("download", NameOf(r) + ": an older file of that name is removed");
            ports_.files->deleteFile(r.savePath);
        }
        auto params = std::make_unique<EngineTaskParams>();
        FillTaskParams(address.request, r.savePath, params.get());
        EngineHandle handle = engine_->CreateTask(*params);
        bool started = handle && engine_->StartTask(handle);
        if (!started) OrNoLog(ports_.log).Write("download", NameOf(r) + ": the engine did not start it");
        std::lock_guard lock(mutex_);
        shared.engineHandle = handle;
        if (started && shared.state == kDownloadNew) {
            shared.lastProgress = Now();
            shared.started = ports_.clock->Now();
            shared.state = kDownloadRunning;
        }
        return;
    }
    if (r.state == kDownloadFailed || r.state == kDownloadComplete) return;
    const DownloadTask previous = r;

    EngineTaskInfo info;
    if (!engine_->QueryTaskInfo(r.engineHandle, &info)) return;
    const int64_t now = Now();
    r.totalBytes = info.totalBytes;
    r.doneBytes = info.doneBytes;
    r.percent = static_cast<int32_t>(info.progress * 100);
    r.speed = static_cast<int32_t>(std::min<uint32_t>(info.speed, std::numeric_limits<int32_t>::max()));

    // The server's file is not the one the service named: no byte more of it.
    if (r.size > 0 && info.totalBytes > 0 && info.totalBytes != r.size) {
        Reject(r, Failure{"the server's file has " + std::to_string(info.totalBytes) + " bytes, its address names " +
                              std::to_string(r.size), r.url.substr(0, 200), errors::kDataError},
               info.status == kDownloadComplete ? Leftovers::kFileAndPartial : Leftovers::kPartial);
        publish();
        return;
    }

    // Stall: no speed for more than 30 s while the engine says it downloads.
    if (r.speed != 0) {
        r.lastProgress = now;
    } else if (now - r.lastProgress > kStallSeconds && info.status == kDownloadRunning) {
        engine_->StopTask(r.engineHandle);
        r.lastProgress = now;
    }

    // Retries: errors and pauses are counted; the first four restart the
    // engine task, the next six make a new one, and then the record fails.
    int32_t s = info.status;
    bool retried = false;
    if (s == kDownloadFailed || s == kDownloadPaused) {
        OrNoLog(ports_.log).Write("download", NameOf(r) + ": engine status " + std::to_string(s) + ", engine error " +
                                                  std::to_string(info.errorCode) + ", event " +
                                                  std::to_string(r.retries + 1));
        int32_t before = r.retries++;
        if (before < kRetryLimit) {
            retried = true;
            if (r.retries <= kRestartsWithSameTask && engine_->StartTask(r.engineHandle)) {
                s = kDownloadRunning;
            } else {
                engine_->DeleteTask(r.engineHandle);
                r.engineHandle = nullptr;
                s = kDownloadNew;
            }
        }
    }
    if (!retried && r.retries >= kRetryLimit) s = kDownloadFailed;

    if (s == kDownloadComplete) {
        std::u16string engineName = engine::FieldText(info.fileName, engine::kPathUnits);
        std::string wanted = NameOf(r);
        if (!engineName.empty() && engineName != text::Utf8ToUtf16(wanted) && ports_.rename) {
            ports_.rename(paths::Join(paths::Folder(r.savePath), text::Utf16ToUtf8(engineName)), r.savePath);
        }
        // Complete only once the file is seen to be the one its address names.
        std::optional<Status> checked = CheckCompleted(r, info.totalBytes, stop);
        if (!checked) return;  // stopped while hashing: the next run checks again
        if (!checked->ok()) {
            Reject(r, checked->failure(), Leftovers::kFileAndPartial);
            publish();
            OrNoLog(ports_.log).Write("download", NameOf(r) + ": state " + std::to_string(previous.state) + " -> 1");
            return;
        }
    }
    r.state = s;
    publish();
    if (s != previous.state) {
        OrNoLog(ports_.log).Write("download", NameOf(r) + ": state " + std::to_string(previous.state) + " -> " +
                                                  std::to_string(s) + ", " + std::to_string(r.doneBytes) + " of " +
                                                  std::to_string(r.totalBytes) + " bytes");
    }
    if (s == kDownloadComplete) WriteRecords();
}

void CDownloadManager::WriteRecords() {
    std::vector<CompletedDownload> done;
    std::string workspace;
    {
        std::lock_guard lock(mutex_);
        workspace = workspace_;
        for (const auto& record : records_) {
            if (record->state == kDownloadComplete)
                done.push_back({record->url, record->savePath, record->sha256, record->size});
        }
    }
    if (done.empty() || workspace.empty() || !ports_.files) return;
    ports_.files->writeFile(workspace + kDownloadRecordsName, RenderDownloadRecords(done));
}

}  // namespace qnb
