// The log file in the workspace folder's "logs\" subfolder: UTF-8 lines
// with CR LF, a size cap with one previous file kept. Lines written before
// the folder is known (start-up runs before the workspace is chosen) wait in
// memory and go first into the file once it is opened.
#pragma once

#include "log/log.h"
#include "platform/file_system.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace qnb {

constexpr char kLogFolder[] = "logs\\";
constexpr char kLogFile[] = "QNBReinstaller.log";
constexpr char kPreviousLogFile[] = "QNBReinstaller.1.log";

struct DiagnosticLogOptions {
    uint64_t maxFileBytes = 512 * 1024;  // the current file goes to the previous one's place past this
    size_t maxWaitingLines = 200;       // lines kept while no folder is known
    size_t maxLineBytes = 2048;         // longer lines are cut
};

class DiagnosticLog : public Log {
public:
    // stamp gives the time at the head of each line ("2026-12-10 05:20:41").
    DiagnosticLog(FileSystem& files, std::function<std::string()> stamp, DiagnosticLogOptions options = {});

    // Writes into workspace + "logs\" (made when missing) from now on; the
    // waiting lines go first. False when the folder cannot be made (lines
    // then keep waiting, up to their limit).
    bool Open(const std::string& workspace);

    void Write(std::string_view area, std::string_view text) override;

    // The current file's path; empty before Open.
    std::string Path() const;

private:
    void Append(const std::string& line);  // with mutex_ held

    FileSystem& files_;
    const std::function<std::string()> stamp_;
    const DiagnosticLogOptions options_;
    mutable std::mutex mutex_;
    std::string folder_;
    std::vector<std::string> waiting_;
    size_t dropped_ = 0;
};

}  // namespace qnb
