#include "platform/detached_thread.h"

#include "platform/win32/handles.h"

#include <windows.h>

#include <memory>

namespace qnb {

namespace {

DWORD WINAPI Run(void* parameter) {
    std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
    (*work)();
    return 0;
}

}  // namespace

bool StartDetachedThread(std::function<void()> work) {
    auto* owned = new std::function<void()>(std::move(work));
    win32::UniqueHandle thread(CreateThread(nullptr, 0, Run, owned, 0, nullptr));  // nobody waits for it
    if (!thread) {
        delete owned;
        return false;
    }
    return true;
}

}  // namespace qnb
