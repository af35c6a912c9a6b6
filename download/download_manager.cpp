#include "download/download_manager.h"

#include "download/download_records.h"
#include "platform/folder_tree.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <algorithm>
#include <limits>

namespace qnb {

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
    return name;
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
    // An older file of that name goes; its partial download, if any, stays for the engine to go on with.
    if (files.access(record->savePath, FileSystem::kExists)) files.deleteFile(record->savePath);

    std::lock_guard lock(mutex_);
    if (Find(url)) return;  // added by another thread meanwhile
    OrNoLog(ports_.log).Write("download", "added " + record->savePath);
    records_.insert(records_.begin(), std::move(record));
    StartWorker();
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

void CDownloadManager::Initialise(const std::string& workspaceIn) {
    if (workspaceIn.empty() || !ports_.files) return;
    std::string workspace = workspaceIn;
    workspace = paths::WithTrailingSeparator(workspace);
    {
        std::lock_guard lock(mutex_);
        workspace_ = workspace;
    }
    FileSystem& files = *ports_.files;
    const std::string path = workspace + kDownloadRecordsName;
    if (!files.access(path, FileSystem::kReadWrite)) return;
    std::optional<std::string> bytes = files.readFile(path);
    if (!bytes) return;
    for (CompletedDownload& entry : ParseDownloadRecords(*bytes)) {
        // A file recorded under another letter is looked for on the workspace's drive.
        entry.file[0] = workspace[0];
        if (!files.access(entry.file, FileSystem::kReadWrite)) continue;
        auto record = std::make_unique<DownloadTask>();
        record->url = entry.url;
        record->savePath = entry.file;
        record->state = kDownloadComplete;
        record->percent = 100;
        std::lock_guard lock(mutex_);
        if (Find(entry.url)) continue;  // one record per URL
        records_.insert(records_.begin(), std::move(record));
    }
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
    do {
        Pass();
    } while (control.SleepFor(kDownloadPassInterval));
    engine_->UnInit();
    engine_.reset();
    return Status::Ok();
}

void CDownloadManager::Pass() {
    std::vector<DownloadTask*> records;
    {
        std::lock_guard lock(mutex_);
        for (const auto& record : records_) records.push_back(record.get());
    }
    for (DownloadTask* record : records) HandleRecord(*record);
}

void CDownloadManager::HandleRecord(DownloadTask& shared) {
    DownloadTask r;
    {
        std::lock_guard lock(mutex_);
        r = shared;
    }
    if (r.state == kDownloadNew) {
        // A task left from an earlier round goes first, so that the new one may write the file.
        if (r.engineHandle) engine_->DeleteTask(r.engineHandle);
        auto params = std::make_unique<EngineTaskParams>();
        FillTaskParams(r.url, r.savePath, params.get());
        EngineHandle handle = engine_->CreateTask(*params);
        bool started = handle && engine_->StartTask(handle);
        if (!started) OrNoLog(ports_.log).Write("download", std::string(paths::FileName(r.savePath)) + ": the engine did not start it");
        std::lock_guard lock(mutex_);
        shared.engineHandle = handle;
        if (started && shared.state == kDownloadNew) {
            shared.lastProgress = Now();
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
        OrNoLog(ports_.log).Write("download", std::string(paths::FileName(r.savePath)) + ": engine status " + std::to_string(s) +
                                                  ", engine error " + std::to_string(info.errorCode) + ", event " +
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
    r.state = s;

    if (s == kDownloadComplete) {
        std::u16string engineName = engine::FieldText(info.fileName, engine::kPathUnits);
        std::string wanted(paths::FileName(r.savePath));
        if (!engineName.empty() && engineName != text::Utf8ToUtf16(wanted) && ports_.rename) {
            ports_.rename(paths::Join(paths::Folder(r.savePath), text::Utf16ToUtf8(engineName)), r.savePath);
        }
    }
    {
        std::lock_guard lock(mutex_);
        shared.totalBytes = r.totalBytes;
        shared.doneBytes = r.doneBytes;
        shared.percent = r.percent;
        shared.speed = r.speed;
        shared.lastProgress = r.lastProgress;
        shared.retries = r.retries;
        shared.engineHandle = r.engineHandle;
        shared.state = r.state;
    }
    if (s != previous.state) {
        OrNoLog(ports_.log).Write("download", std::string(paths::FileName(r.savePath)) + ": state " + std::to_string(previous.state) +
                                                  " -> " + std::to_string(s) + ", " + std::to_string(r.doneBytes) +
                                                  " of " + std::to_string(r.totalBytes) + " bytes");
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
            if (record->state == kDownloadComplete) done.push_back({record->url, record->savePath});
        }
    }
    if (done.empty() || workspace.empty() || !ports_.files) return;
    ports_.files->writeFile(workspace + kDownloadRecordsName, RenderDownloadRecords(done));
}

}  // namespace qnb
