// A machine for the native tests of the ISO side: isocmd and imagex answer
// as a test tells them, letters are in use as told, a mount makes the
// letter's root (and, when the ISO has one, its install.wim) appear.
#pragma once

#include "images/iso_tools.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/memory_file_system.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace qnb::images::test {

constexpr char kToolFolder[] = "C:\\Users\\ADMINI~1\\AppData\\Local\\Temp\\QNB01\\";
inline const std::string kIsocmd = std::string(kToolFolder) + "isocmd\\isocmd.exe";
inline const std::string kImagex = std::string(kToolFolder) + "imagex.exe";

struct FakeIsoMachine {
    // isocmd's answers by its arguments; imagex prints `listing`.
    std::map<std::string, std::string> answers{{"-p", "Number of Devices=0\r\n"}};
    std::string listing;
    std::set<std::string> carried{kIsocmdEntry, kImagexEntry};  // what the payload has
    std::string used = "CDE";                                   // letters in use
    bool isoHasInstallWim = true;
    std::set<char> mounted;
    std::vector<std::string> extracted;
    int folders = 0;
    fake::FakeProcess process;
    fake::MemoryFileSystem files{"CDEFGHIJKLMNOPQRSTUVWXYZ"};
    IsoTools tools{Ports()};

    IsoToolPorts Ports() {
        IsoToolPorts ports;
        ports.makeFolder = [this] {
            ++folders;
            return std::optional<std::string>(kToolFolder);
        };
        ports.extract = [this](const std::vector<ToolFile>& list) {
            std::vector<uint64_t> written;
            for (const ToolFile& file : list) {
                bool has = carried.count(file.entry) > 0;
                if (has) extracted.push_back(file.target);
                written.push_back(has ? 100 : 0);
            }
            return written;
        };
        ports.process = &process;
        ports.unusedLetters = [this] {
            std::string letters;
            for (char c = 'C'; c <= 'Z'; ++c) {
                if (used.find(c) == std::string::npos) letters += c;
            }
            return letters;
        };
        ports.folderExists = [this](const std::string& folder) {
            return folder.size() == 3 && folder.substr(1) == ":\\" && mounted.count(folder[0]) > 0;
        };
        process.Otherwise([this](const ProcessRequest& request) -> Result<ProcessOutcome> {
            ProcessOutcome outcome;
            const std::string& args = request.arguments;
            if (args.rfind("-infile -mount ", 0) == 0) {
                char letter = args[15];
                mounted.insert(letter);
                if (isoHasInstallWim) files.AddFile(std::string(1, letter) + ":\\sources\\install.wim", "MSWIM");
            }
            if (request.program == kImagex) outcome.output = listing;
            auto it = answers.find(args);
            if (it != answers.end()) outcome.output = it->second;
            if (!request.captureOutput) outcome.output.clear();
            return outcome;
        });
        return ports;
    }

    // The arguments of every run, in order.
    std::vector<std::string> Runs() const {
        std::vector<std::string> runs;
        for (const ProcessRequest& r : process.Requests()) runs.push_back(r.arguments);
        return runs;
    }
};

}  // namespace qnb::images::test
