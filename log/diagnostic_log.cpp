#include "log/diagnostic_log.h"

#include "platform/folder_tree.h"

namespace qnb {

namespace {

// Control characters (a CR or LF inside a text would forge a line) become blanks.
std::string OneLine(std::string_view text, size_t maxBytes) {
    std::string line(text.substr(0, maxBytes));
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    if (text.size() > maxBytes) line += "...";
    return line;
}

}  // namespace

DiagnosticLog::DiagnosticLog(FileSystem& files, std::function<std::string()> stamp, DiagnosticLogOptions options)
    : files_(files), stamp_(std::move(stamp)), options_(options) {}

bool DiagnosticLog::Open(const std::string& workspace) {
    if (workspace.empty()) return false;
    std::string folder = workspace;
    if (folder.back() != '\\') folder += '\\';
    folder += kLogFolder;
    if (!CreateFolderTree(files_, folder).ok()) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    folder_ = folder;
    if (dropped_ > 0) {
        waiting_.push_back(stamp_() + " [log] " + std::to_string(dropped_) + " earlier lines were dropped\r\n");
    }
    for (const std::string& line : waiting_) Append(line);
    waiting_.clear();
    dropped_ = 0;
    return true;
}

void DiagnosticLog::Write(std::string_view area, std::string_view text) {
    std::string line = (stamp_ ? stamp_() : std::string()) + " [" + OneLine(area, 32) + "] " +
                       OneLine(text, options_.maxLineBytes) + "\r\n";
    std::lock_guard<std::mutex> lock(mutex_);
    if (folder_.empty()) {
        if (waiting_.size() < options_.maxWaitingLines) {
            waiting_.push_back(std::move(line));
        } else {
            ++dropped_;
        }
        return;
    }
    Append(line);
}

std::string DiagnosticLog::Path() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return folder_.empty() ? std::string() : folder_ + kLogFile;
}

void DiagnosticLog::Append(const std::string& line) {
    const std::string current = folder_ + kLogFile;
    Result<FileFacts> facts = files_.facts(current);
    if (facts.ok() && facts->size + line.size() > options_.maxFileBytes) {
        // One previous file is kept; if it cannot be replaced, the current
        // one is cut short instead, so the log never grows past its cap.
        if (!files_.moveFile(current, folder_ + kPreviousLogFile, true).ok()) files_.deleteFile(current);
    }
    (void)files_.appendFile(current, line);  // a log that cannot be written is not worth a failure
}

}  // namespace qnb
