#include "tools/isocmd/isocmd.h"

#include "platform/ascii.h"

#include <algorithm>

namespace qnb::isocmd {

namespace {

const char kUsage[] =
    "usage: isocmd -p | -i | -c 1 X: | -infile -mount X: ISO | -e X: | -r\r\n"
    "  -p                    how many drives this tool keeps (Number of Devices=N)\r\n"
    "  -i                    make ready to attach ISO files\r\n"
    "  -c 1 X:               reserve the drive letter X:\r\n"
    "  -infile -mount X: ISO attach the ISO file read-only as drive X: (quoted or not)\r\n"
    "  -e X:                 detach the ISO at X:\r\n"
    "  -r                    detach every ISO this tool attached\r\n";

// The next blank-separated word of rest, taken off it.
std::string_view NextWord(std::string_view* rest) {
    *rest = ascii::TrimStart(*rest);
    size_t end = rest->find_first_of(ascii::kBlanks);
    std::string_view word = rest->substr(0, end);
    *rest = end == std::string_view::npos ? std::string_view() : rest->substr(end);
    return word;
}

// "X:" (or "x:") for a letter C to Z; 0 for anything else.
char DriveLetter(std::string_view word) {
    if (word.size() != 2 || word[1] != ':') return 0;
    char letter = ascii::ToUpper(word[0]);
    return letter >= 'C' && letter <= 'Z' ? letter : 0;
}

Command Usage(std::string problem) {
    Command command;
    command.problem = std::move(problem);
    return command;
}

std::string Colon(char letter) { return std::string(1, letter) + ":"; }

Reply Done(std::string text) { return {0, text + "\r\n"}; }
Reply Failed(std::string text) { return {1, "isocmd: " + text + "\r\n"}; }

Record::iterator Find(Record& record, char letter) {
    return std::find_if(record.begin(), record.end(), [&](const Drive& d) { return d.letter == letter; });
}

}  // namespace

std::string_view ArgumentsOf(std::string_view line) {
    size_t end;
    if (!line.empty() && line[0] == '"') {
        end = line.find('"', 1);
        end = end == std::string_view::npos ? line.size() : end + 1;
    } else {
        end = std::min(line.find_first_of(ascii::kBlanks), line.size());
    }
    return ascii::Trim(line.substr(end));
}

Command ParseArguments(std::string_view arguments) {
    std::string_view rest = arguments;
    std::string_view word = NextWord(&rest);
    Command command;
    if (ascii::EqualsIgnoringCase(word, "-p")) {
        command.kind = Command::kProbe;
    } else if (ascii::EqualsIgnoringCase(word, "-i")) {
        command.kind = Command::kInstall;
    } else if (ascii::EqualsIgnoringCase(word, "-r")) {
        command.kind = Command::kRemoveAll;
    } else if (ascii::EqualsIgnoringCase(word, "-e")) {
        command.kind = Command::kEject;
        if (!(command.letter = DriveLetter(NextWord(&rest)))) return Usage("-e takes a drive letter C: to Z:");
    } else if (ascii::EqualsIgnoringCase(word, "-c")) {
        command.kind = Command::kCreate;
        std::string_view count = NextWord(&rest);
        if (count.size() != 1 || count[0] < '0' || count[0] > '9') return Usage("-c takes a count and a drive letter");
        command.count = count[0] - '0';
        if (!(command.letter = DriveLetter(NextWord(&rest)))) return Usage("-c takes a drive letter C: to Z:");
    } else if (ascii::EqualsIgnoringCase(word, "-infile")) {
        if (!ascii::EqualsIgnoringCase(NextWord(&rest), "-mount")) return Usage("-infile goes with -mount");
        command.kind = Command::kMount;
        if (!(command.letter = DriveLetter(NextWord(&rest)))) return Usage("-mount takes a drive letter C: to Z:");
        // The rest of the line is the path: blanks inside it are its own.
        rest = ascii::Trim(rest);
        if (!rest.empty() && rest[0] == '"') {
            size_t close = rest.find('"', 1);
            if (close == std::string_view::npos || !ascii::Trim(rest.substr(close + 1)).empty()) {
                return Usage("the ISO path's quotes do not pair");
            }
            rest = rest.substr(1, close - 1);
        }
        if (rest.empty()) return Usage("-mount takes the ISO file's path");
        command.path = std::string(rest);
        return command;
    } else {
        return Usage(word.empty() ? "no command" : "unknown command " + std::string(word));
    }
    if (!ascii::Trim(rest).empty()) return Usage("too many arguments");
    return command;
}

Record ParseRecord(std::string_view text) {
    Record record;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line = ascii::TrimEnd(line, "\r");
        size_t tab = line.find('\t');
        char letter = DriveLetter(line.substr(0, tab));
        if (!letter || tab == std::string_view::npos) continue;
        Record::iterator known = Find(record, letter);
        if (known != record.end()) continue;  // the first word on a letter holds
        record.push_back({letter, std::string(line.substr(tab + 1))});
    }
    return record;
}

std::string FormatRecord(const Record& record) {
    std::string text;
    for (const Drive& drive : record) text += Colon(drive.letter) + "\t" + drive.iso + "\r\n";
    return text;
}

Reply Execute(const Command& command, Backend& backend, RecordStore& store) {
    if (command.kind == Command::kUsage) return {2, "isocmd: " + command.problem + "\r\n" + kUsage};
    Record record = store.Load();
    switch (command.kind) {
    case Command::kProbe: {
        std::string why = backend.CannotAttach();
        if (!why.empty()) return Failed(why);
        return Done("Number of Devices=" + std::to_string(record.size()));
    }
    case Command::kInstall: {
        std::string why = backend.CannotAttach();
        if (!why.empty()) return Failed("cannot install: " + why);
        return Done("no driver is needed, this Windows attaches ISO files itself: installed successfully");
    }
    case Command::kCreate: {
        if (command.count != 1) return Failed("one device per drive letter");
        if (Find(record, command.letter) != record.end()) return Done("the device at " + Colon(command.letter) + " is ready");
        if (!backend.LetterFree(command.letter)) return Failed(Colon(command.letter) + " is in use");
        record.push_back({command.letter, ""});
        if (!store.Save(record)) return Failed("cannot keep the record beside the tool");
        return Done("created 1 device at " + Colon(command.letter));
    }
    case Command::kMount: {
        std::string why = backend.CannotAttach();
        if (!why.empty()) return Failed(why);
        Record::iterator drive = Find(record, command.letter);
        if (drive != record.end() && !drive->iso.empty()) {
            return Failed(Colon(command.letter) + " already holds " + drive->iso);
        }
        if (drive == record.end() && !backend.LetterFree(command.letter)) {
            return Failed(Colon(command.letter) + " is in use");
        }
        Status attached = backend.Attach(command.letter, command.path);
        if (!attached) return Failed("cannot mount at " + Colon(command.letter) + ": " + attached.failure().Describe());
        if (drive == record.end()) {
            record.push_back({command.letter, command.path});
        } else {
            drive->iso = command.path;
        }
        if (!store.Save(record)) {
            // Unrecorded, it could never be detached by -r: undone at once.
            (void)backend.Detach(command.letter, command.path);
            return Failed("cannot keep the record beside the tool");
        }
        return Done("mounted " + command.path + " at " + Colon(command.letter));
    }
    case Command::kEject: {
        Record::iterator drive = Find(record, command.letter);
        if (drive == record.end()) return Failed("this tool keeps no device at " + Colon(command.letter));
        if (!drive->iso.empty()) {
            Status detached = backend.Detach(drive->letter, drive->iso);
            if (!detached) return Failed("cannot detach " + Colon(command.letter) + ": " + detached.failure().Describe());
        }
        record.erase(drive);
        if (!store.Save(record)) return Failed("cannot keep the record beside the tool");
        return Done("removed the device at " + Colon(command.letter));
    }
    case Command::kRemoveAll: {
        Record left;
        std::string problems;
        for (const Drive& drive : record) {
            if (drive.iso.empty()) continue;
            Status detached = backend.Detach(drive.letter, drive.iso);
            if (!detached) {
                left.push_back(drive);
                problems += "isocmd: cannot detach " + Colon(drive.letter) + ": " + detached.failure().Describe() + "\r\n";
            }
        }
        size_t removed = record.size() - left.size();
        if (!store.Save(left)) return Failed("cannot keep the record beside the tool");
        if (!problems.empty()) return {1, problems};
        return Done("removed " + std::to_string(removed) + " devices");
    }
    case Command::kUsage:
        break;
    }
    return {2, kUsage};
}

}  // namespace qnb::isocmd
