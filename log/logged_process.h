// Every program the program starts, in the log: its command line, then its
// exit code or why it could not start. Output is not written (a tool's
// output may hold the user's file names).
#pragma once

#include "log/log.h"
#include "platform/process_port.h"

namespace qnb {

class LoggedProcessPort : public ProcessPort {
public:
    LoggedProcessPort(ProcessPort& inner, Log& log) : inner_(inner), log_(log) {}

    Result<ProcessOutcome> Run(const ProcessRequest& request) override {
        log_.Write("tool", "start " + CommandLineOf(request));
        Result<ProcessOutcome> outcome = inner_.Run(request);
        if (!outcome.ok()) {
            log_.Failed("tool", outcome.failure());
        } else if (request.wait || request.captureOutput) {
            log_.Write("tool", "exit code " + std::to_string(outcome->exitCode) + ": " + request.program);
        }
        return outcome;
    }

private:
    ProcessPort& inner_;
    Log& log_;
};

}  // namespace qnb
