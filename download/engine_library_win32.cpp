// xldl.dll loaded by full path from the deployment folder.
#include "download/engine_library.h"

#include "platform/text.h"
#include "platform/win32/handles.h"

#include <windows.h>

namespace qnb {

namespace {

using namespace engine;

class LoadedEngineLibrary : public EngineLibrary {
public:
    explicit LoadedEngineLibrary(win32::UniqueModule module) : module_(std::move(module)) {}
    ~LoadedEngineLibrary() override {
        // The engine's threads ended in XL_UnInit; a library whose engine
        // was never ended stays loaded, so that no thread runs unmapped code.
        if (!ended_) (void)module_.release();
    }
    bool Resolve() {
        return Get(init_, "XL_Init") && Get(uninit_, "XL_UnInit") && Get(create_, "XL_CreateTask") &&
               Get(start_, "XL_StartTask") && Get(query_, "XL_QueryTaskInfoEx") && Get(stop_, "XL_StopTask") &&
               Get(delete_, "XL_DeleteTask");
    }
    bool Init() override {
        ended_ = false;
        return init_() != 0;
    }
    bool UnInit() override {
        bool ok = uninit_() != 0;
        ended_ = true;
        return ok;
    }
    EngineHandle CreateTask(const EngineTaskParams& params) override { return create_(&params); }
    bool StartTask(EngineHandle task) override { return start_(task) != 0; }
    bool QueryTaskInfo(EngineHandle task, EngineTaskInfo* info) override { return query_(task, info) != 0; }
    bool StopTask(EngineHandle task) override { return stop_(task) != 0; }
    bool DeleteTask(EngineHandle task) override { return delete_(task) != 0; }

private:
    template <typename F>
    bool Get(F& function, const char* name) {
        function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
        return function != nullptr;
    }
    win32::UniqueModule module_;
    bool ended_ = true;
    XL_Init_t init_ = nullptr;
    XL_UnInit_t uninit_ = nullptr;
    XL_CreateTask_t create_ = nullptr;
    XL_StartTask_t start_ = nullptr;
    XL_QueryTaskInfoEx_t query_ = nullptr;
    XL_StopTask_t stop_ = nullptr;
    XL_DeleteTask_t delete_ = nullptr;
};

}  // namespace

std::unique_ptr<EngineLibrary> LoadEngineLibrary(const std::string& fullPath) {
    if (fullPath.empty()) return nullptr;
    // With a full path and the altered search order, the library's own
    // dependencies are looked for beside it, not in the current folder.
    win32::UniqueModule module(LoadLibraryExW(text::Wide(fullPath).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) return nullptr;
    auto library = std::make_unique<LoadedEngineLibrary>(std::move(module));
    if (!library->Resolve()) return nullptr;  // unloaded with the object
    return library;
}

}  // namespace qnb
