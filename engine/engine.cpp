#include "engine/engine.h"

#include "platform/ascii.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <algorithm>
#include <cstring>

namespace qnb::engine {

Engine::Engine(Transport& transport, FileStore& store, FileSystem& files, EngineOptions options)
    : transport_(transport), store_(store), files_(files), options_(options) {}

Engine::~Engine() {
    std::map<uintptr_t, std::shared_ptr<DownloadTask>> tasks;
    {
        std::lock_guard lock(mutex_);
        tasks.swap(tasks_);
    }
    for (auto& [handle, task] : tasks) task->Stop();  // all wind down at once
    for (auto& [handle, task] : tasks) task->Shutdown();
}

EngineHandle Engine::Create(const EngineTaskParams& params) {
    TaskSetup setup;
    // What follows "#" is for the caller (the download manager's checks): never asked for.
    setup.url = WithoutFragment(text::Utf16ToUtf8(FieldText(params.url, kUrlUnits)));
    setup.folder = text::Utf16ToUtf8(FieldText(params.folder, kPathUnits));
    setup.fileName = text::Utf16ToUtf8(FieldText(params.fileName, kPathUnits));
    setup.resume = params.resume != 0;
    if (setup.url.empty() || setup.fileName.empty() || setup.folder.empty()) return nullptr;
    if (setup.fileName.find_first_of("\\/") != std::string::npos) return nullptr;
    setup.folder = paths::WithTrailingSeparator(setup.folder, paths::kEitherSlash);

    std::lock_guard lock(mutex_);
    for (const auto& [handle, task] : tasks_) {
        // Two tasks writing one file would spoil it; Windows names ignore case.
        if (ascii::EqualsIgnoringCase(task->TargetPath(), setup.folder + setup.fileName)) return nullptr;
    }
    uintptr_t handle = nextHandle_;
    nextHandle_ += 0x10;
    tasks_[handle] = std::make_shared<DownloadTask>(std::move(setup), transport_, store_, files_, options_);
    return reinterpret_cast<EngineHandle>(handle);
}

std::shared_ptr<DownloadTask> Engine::Find(EngineHandle handle) {
    std::lock_guard lock(mutex_);
    auto it = tasks_.find(reinterpret_cast<uintptr_t>(handle));
    return it == tasks_.end() ? nullptr : it->second;
}

bool Engine::Start(EngineHandle handle) {
    auto task = Find(handle);
    if (!task) return false;
    task->Start();
    return true;
}

bool Engine::Stop(EngineHandle handle) {
    auto task = Find(handle);
    if (!task) return false;
    task->Stop();
    return true;
}

bool Engine::Query(EngineHandle handle, EngineTaskInfo* info) {
    if (!info) return false;
    std::memset(info, 0, sizeof *info);
    auto task = Find(handle);
    if (!task) return false;
    TaskSnapshot s = task->Snapshot();
    info->status = s.status;
    info->errorCode = s.error;
    std::u16string name = text::Utf8ToUtf16(task->Setup().fileName);
    std::copy_n(name.begin(), std::min(name.size(), kPathUnits - 1), info->fileName);
    info->totalBytes = s.total;
    info->doneBytes = s.done;
    if (s.status == kStatusComplete) {
        info->progress = 1.0f;
    } else if (s.total > 0) {
        info->progress = std::min(1.0f, static_cast<float>(double(s.done) / double(s.total)));
    }
    info->speed = s.speed;
    return true;
}

bool Engine::Delete(EngineHandle handle) {
    std::shared_ptr<DownloadTask> task;
    {
        std::lock_guard lock(mutex_);
        auto it = tasks_.find(reinterpret_cast<uintptr_t>(handle));
        if (it == tasks_.end()) return false;
        task = std::move(it->second);
        tasks_.erase(it);
    }
    task->Shutdown();
    return true;
}

}  // namespace qnb::engine
