// Writes a job's end to the log: its failure with the Windows code, or
// that it ended well (when asked to).
#pragma once

#include "jobs/job.h"
#include "log/log.h"

#include <string>

namespace qnb {

class JobEndLog : public JobListener {
public:
    JobEndLog(Log& log, std::string area, bool writeSuccess = false)
        : log_(log), area_(std::move(area)), writeSuccess_(writeSuccess) {}

    void Finished(const Status& outcome) override {
        if (!outcome.ok()) {
            log_.Failed(area_, outcome.failure());
        } else if (writeSuccess_) {
            log_.Write(area_, "done");
        }
    }

private:
    Log& log_;
    const std::string area_;
    const bool writeSuccess_;
};

}  // namespace qnb
