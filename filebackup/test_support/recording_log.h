// A log that keeps its lines, for tests ("area: text"). Safe from several threads.
#pragma once

#include "log/log.h"

#include <mutex>
#include <string>
#include <vector>

namespace qnb::test {

class RecordingLog : public Log {
public:
    void Write(std::string_view area, std::string_view text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.push_back(std::string(area) + ": " + std::string(text));
    }
    std::vector<std::string> Lines() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }
    bool Holds(const std::string& part) const {
        for (const std::string& line : Lines()) {
            if (line.find(part) != std::string::npos) return true;
        }
        return false;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace qnb::test
