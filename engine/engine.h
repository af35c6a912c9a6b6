// The engine behind the seven exported functions: a table of tasks reached
// through handles that the engine gives out. A handle it did not give out,
// or one of a deleted task, is refused and never followed.
#pragma once

#include "engine/download_task.h"
#include "engine/engine_api.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace qnb::engine {

class Engine {
public:
    Engine(Transport& transport, FileStore& store, FileSystem& files, EngineOptions options = {});
    // Stops every task and waits for their threads.
    ~Engine();

    // Nothing for a record without an address or a file name, or whose
    // target another live task of this engine already downloads.
    EngineHandle Create(const EngineTaskParams& params);
    bool Start(EngineHandle handle);
    bool Stop(EngineHandle handle);
    // False for an unknown handle (info then says status 0, no such task).
    bool Query(EngineHandle handle, EngineTaskInfo* info);
    // Stops the task, waits for its threads and forgets it. The partial file
    // and its control file stay, for a task created again later.
    bool Delete(EngineHandle handle);

private:
    std::shared_ptr<DownloadTask> Find(EngineHandle handle);

    Transport& transport_;
    FileStore& store_;
    FileSystem& files_;
    const EngineOptions options_;
    std::mutex mutex_;
    std::map<uintptr_t, std::shared_ptr<DownloadTask>> tasks_;
    uintptr_t nextHandle_ = 0x10;
};

}  // namespace qnb::engine
