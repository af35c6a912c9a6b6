// The download engine library as the download manager calls it: the seven
// functions of xldl.dll. The Windows build loads the real library by full
// path; the tests drive a scripted engine.
#pragma once

#include "engine/engine_api.h"

#include <memory>
#include <string>

namespace qnb {

using engine::EngineHandle;
using engine::EngineTaskInfo;
using engine::EngineTaskParams;

class EngineLibrary {
public:
    virtual ~EngineLibrary() = default;
    virtual bool Init() = 0;
    virtual bool UnInit() = 0;
    virtual EngineHandle CreateTask(const EngineTaskParams& params) = 0;
    virtual bool StartTask(EngineHandle task) = 0;
    virtual bool QueryTaskInfo(EngineHandle task, EngineTaskInfo* info) = 0;
    virtual bool StopTask(EngineHandle task) = 0;
    virtual bool DeleteTask(EngineHandle task) = 0;
};

// Fills the record for a task: the URL (UTF-8 here, at most 2,047 units),
// the save path's file name and folder (at most 259 units each), resuming
// on, other sources allowed; every other byte 0.
void FillTaskParams(const std::string& url, const std::string& savePath, EngineTaskParams* params);

#ifdef _WIN32
// Loads the library at fullPath (never through the search order) and looks
// up its seven functions; nothing when the file cannot be loaded or lacks one.
std::unique_ptr<EngineLibrary> LoadEngineLibrary(const std::string& fullPath);
#endif

}  // namespace qnb
