// Threads that nobody waits for: the HTTP client's receive and dispatch
// threads, which end by themselves once their connection is closed (Close
// may be called from the dispatcher itself, which therefore cannot be
// joined; Shutdown counts the dispatchers instead). Everything else runs as
// a job (jobs/job.h).
//
// On Windows they are made with CreateThread: the toolchain's pthread
// library crashes now and then when detached threads start and end while
// others are created (seen under Wine, where a program that starts
// thousands of detached std::threads from four threads fails most runs).
#pragma once

#include <functional>

namespace qnb {

// Runs work on a new thread whose handle is closed at once. False when no
// thread could be made (work is then not run).
bool StartDetachedThread(std::function<void()> work);

}  // namespace qnb
