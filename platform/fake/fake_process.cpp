#include "platform/fake/fake_process.h"

#include "platform/error_codes.h"

#include <algorithm>
#include <cctype>

namespace qnb::fake {

namespace {

bool SameProgram(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

void FakeProcess::Script(const std::string& program, Result<ProcessOutcome> outcome) {
    std::lock_guard lock(mutex_);
    script_.emplace_back(program, std::move(outcome));
}

void FakeProcess::Otherwise(Answer answer) {
    std::lock_guard lock(mutex_);
    otherwise_ = std::move(answer);
}

std::vector<ProcessRequest> FakeProcess::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

Result<ProcessOutcome> FakeProcess::Run(const ProcessRequest& request) {
    Answer otherwise;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        if (!IsFullPath(request.program)) {
            return Failure{"start program", CommandLineOf(request), errors::kBadPathname};
        }
        auto it = std::find_if(script_.begin(), script_.end(),
                               [&](const auto& entry) { return SameProgram(entry.first, request.program); });
        if (it != script_.end()) {
            Result<ProcessOutcome> outcome = std::move(it->second);
            script_.erase(it);
            // A run that is not waited for has no exit code or output to give.
            if (outcome && !request.wait && !request.captureOutput) return ProcessOutcome{};
            if (outcome && !request.captureOutput) outcome->output.clear();
            return outcome;
        }
        otherwise = otherwise_;
    }
    if (otherwise) return otherwise(request);
    return Failure{"start program", CommandLineOf(request), errors::kFileNotFound};
}

}  // namespace qnb::fake
