#include "platform/detached_thread.h"

#include <system_error>
#include <thread>

namespace qnb {

bool StartDetachedThread(std::function<void()> work) {
    try {
        std::thread(std::move(work)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace qnb
