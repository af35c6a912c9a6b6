// Program starts for tests: every request is kept, outcomes come from a
// script. Safe to use from several threads.
#pragma once

#include "platform/process_port.h"

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace qnb::fake {

class FakeProcess : public ProcessPort {
public:
    using Answer = std::function<Result<ProcessOutcome>(const ProcessRequest&)>;

    // The outcomes of the next runs of a program (its full path, compared
    // without regard to case), one per run, in order.
    void Script(const std::string& program, Result<ProcessOutcome> outcome);
    // Answers the runs nothing was scripted for; without it they fail as a
    // missing program does (ERROR_FILE_NOT_FOUND).
    void Otherwise(Answer answer);
    // Every request so far, in order.
    std::vector<ProcessRequest> Requests() const;

    Result<ProcessOutcome> Run(const ProcessRequest& request) override;

private:
    mutable std::mutex mutex_;
    std::deque<std::pair<std::string, Result<ProcessOutcome>>> script_;
    Answer otherwise_;
    std::vector<ProcessRequest> requests_;
};

}  // namespace qnb::fake
