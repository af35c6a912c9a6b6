// xldl.dll's exported functions: the engine of this library over WinHTTP
// (plain http straight over sockets when there is no proxy) and Win32 files. One engine per process, made by XL_Init and ended by
// XL_UnInit; calls before XL_Init or after XL_UnInit fail.
#include "engine/engine.h"
#include "engine/engine_api.h"
#include "engine/part_file_win32.h"
#include "engine/socket_transport_win32.h"
#include "engine/winhttp_transport_win32.h"
#include "platform/win32/file_system_win32.h"

#include <windows.h>

#include <memory>
#include <mutex>

namespace {

using namespace qnb::engine;

struct Runtime {
    qnb::win32::Win32FileSystem files;
    Win32FileStore store;
    WinHttpTransport winhttp;
    SystemTransport transport{winhttp};
    Engine engine{transport, store, files};
};

std::mutex g_mutex;
// Never destroyed by the library's own teardown: at process exit the
// engine's threads are gone already, and joining them under the loader lock
// would hang. XL_UnInit ends it properly.
std::shared_ptr<Runtime>* g_runtime = new std::shared_ptr<Runtime>();

std::shared_ptr<Runtime> Current() {
    std::lock_guard lock(g_mutex);
    return *g_runtime;
}

}  // namespace

#define QNB_EXPORT extern "C" __declspec(dllexport)

QNB_EXPORT int QNB_ENGINE_CALL XL_Init() {
    std::lock_guard lock(g_mutex);
    if (*g_runtime) return 1;
    auto runtime = std::make_shared<Runtime>();
    if (!runtime->winhttp.Ready()) return 0;
    *g_runtime = std::move(runtime);
    return 1;
}

QNB_EXPORT int QNB_ENGINE_CALL XL_UnInit() {
    std::shared_ptr<Runtime> runtime;
    {
        std::lock_guard lock(g_mutex);
        runtime.swap(*g_runtime);
    }
    return runtime ? 1 : 0;  // the last reference ends every task and waits for its threads
}

QNB_EXPORT EngineHandle QNB_ENGINE_CALL XL_CreateTask(const EngineTaskParams* params) {
    auto runtime = Current();
    return runtime && params ? runtime->engine.Create(*params) : nullptr;
}

QNB_EXPORT int QNB_ENGINE_CALL XL_StartTask(EngineHandle task) {
    auto runtime = Current();
    return runtime && runtime->engine.Start(task) ? 1 : 0;
}

QNB_EXPORT int QNB_ENGINE_CALL XL_QueryTaskInfoEx(EngineHandle task, EngineTaskInfo* info) {
    auto runtime = Current();
    return runtime && runtime->engine.Query(task, info) ? 1 : 0;
}

QNB_EXPORT int QNB_ENGINE_CALL XL_StopTask(EngineHandle task) {
    auto runtime = Current();
    return runtime && runtime->engine.Stop(task) ? 1 : 0;
}

QNB_EXPORT int QNB_ENGINE_CALL XL_DeleteTask(EngineHandle task) {
    auto runtime = Current();
    return runtime && runtime->engine.Delete(task) ? 1 : 0;
}
