// isocmd: our own console tool that attaches ISO files as drive letters,
// with the command lines the program has always passed. The commands, the
// record of what this tool attached and the texts are portable; attaching
// is a backend's (Windows' Virtual Disk API, or Wine's mount manager in
// test builds).
#pragma once

#include "platform/failure.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qnb::isocmd {

struct Command {
    enum Kind {
        kUsage,       // anything else
        kProbe,       // -p: "Number of Devices=N" when ISO files can be attached
        kInstall,     // -i: "... successfully" when ISO files can be attached
        kCreate,      // -c N X:: reserve the letter
        kMount,       // -infile -mount X: PATH
        kEject,       // -e X:: detach what is attached at X:
        kRemoveAll,   // -r: detach everything this tool attached
    } kind = kUsage;
    int count = 0;     // kCreate
    char letter = 0;   // upper case
    std::string path;  // kMount: with or without quotes on the line, blanks kept
    std::string problem;  // kUsage: what was wrong
};

// The command line after the program's name (GetCommandLine's text less
// the first argument), UTF-8.
Command ParseArguments(std::string_view arguments);
// The whole command line as Windows gives it, the program's name first
// (quoted or not).
std::string_view ArgumentsOf(std::string_view commandLine);

// The letters this tool reserved, and the ISO attached at each ("" when
// none yet), in the order they were reserved.
struct Drive {
    char letter = 0;
    std::string iso;
};
using Record = std::vector<Drive>;
// One line per letter: "Z:" TAB path. Lines that are not such are skipped.
Record ParseRecord(std::string_view text);
std::string FormatRecord(const Record& record);

class Backend {
public:
    virtual ~Backend() = default;
    // Empty when this Windows can attach ISO files; otherwise why not.
    virtual std::string CannotAttach() = 0;
    // No drive uses the letter.
    virtual bool LetterFree(char letter) = 0;
    // Attaches the ISO read-only, for longer than this process lives, and
    // gives its volume the letter.
    virtual Status Attach(char letter, const std::string& iso) = 0;
    // Undoes Attach.
    virtual Status Detach(char letter, const std::string& iso) = 0;
};

// Where the record is kept between runs (beside the tool).
class RecordStore {
public:
    virtual ~RecordStore() = default;
    virtual Record Load() = 0;
    // Whole or not at all.
    virtual bool Save(const Record& record) = 0;
};

struct Reply {
    int exitCode = 0;  // 0 done, 1 failed, 2 wrong command line
    std::string text;  // for standard output, lines ending in "\r\n"
};

Reply Execute(const Command& command, Backend& backend, RecordStore& store);

}  // namespace qnb::isocmd
