// The program's diagnostic log, as the code that writes to it sees it: a
// line per event, with the area it comes from. Start-up facts, service
// answers' status, download state changes, failures with their Windows
// codes, system tools with their exit codes; never file contents, never
// whole service answers.
#pragma once

#include "platform/failure.h"

#include <string_view>

namespace qnb {

class Log {
public:
    virtual ~Log() = default;
    // One line; area is a short word ("startup", "download", "tool").
    virtual void Write(std::string_view area, std::string_view text) = 0;

    void Failed(std::string_view area, const Failure& failure) { Write(area, "failed: " + failure.Describe()); }
};

// Writes nothing: what code that was given no log writes to.
class NoLog : public Log {
public:
    void Write(std::string_view, std::string_view) override {}
};

// A log, or the one that writes nothing.
inline Log& OrNoLog(Log* log) {
    static NoLog none;
    return log ? *log : none;
}

}  // namespace qnb
