#include "images/iso_tools.h"

#include "platform/paths.h"

namespace qnb::images {

namespace {

std::string Root(char letter) { return std::string(1, letter) + ":\\"; }
std::string Drive(char letter) { return std::string(1, letter) + ":"; }

}  // namespace

std::vector<ToolFile> IsocmdFiles(const std::string& folder) {
    return {{kIsoDriveEntry, folder + "isocmd\\ISODrive.sys"},
            {kIsoDrv64Entry, folder + "isocmd\\ISODrv64.sys"},
            {kIsocmdEntry, folder + "isocmd\\isocmd.exe"}};
}

std::vector<ToolFile> ImagexFiles(const std::string& folder) { return {{kImagexEntry, folder + "imagex.exe"}}; }

IsoTools::IsoTools(IsoToolPorts ports) : ports_(std::move(ports)) {}

std::optional<std::string> IsoTools::Deploy(Layout layout, const char* tool, int* count,
                                            std::optional<std::string>* deployed) {
    std::lock_guard lock(mutex_);
    if (*deployed) return *deployed;
    if (!folder_) {
        folder_ = ports_.makeFolder();
        if (!folder_) {
            log().Write("iso", "no protected folder for the tools");
            return std::nullopt;
        }
    }
    std::vector<ToolFile> files = layout(*folder_);
    std::vector<uint64_t> written = ports_.extract(files);
    ++*count;
    // Entries the payload lacks (the old drivers) are skipped; the tool itself is needed.
    for (size_t i = 0; i < files.size() && i < written.size(); ++i) {
        if (files[i].entry == tool && written[i] > 0) {
            *deployed = files[i].target;
            return *deployed;
        }
    }
    log().Write("iso", std::string("the payload has no ") + tool);
    return std::nullopt;
}

std::optional<std::string> IsoTools::RunIsoTool(const std::string& arguments, bool wait, bool capture) {
    std::optional<std::string> tool = Deploy(IsocmdFiles, kIsocmdEntry, &isocmdDeployments_, &isocmd_);
    if (!tool) return std::nullopt;
    ProcessRequest request;
    request.program = *tool;
    request.arguments = arguments;
    request.currentFolder = std::string(paths::Folder(*tool));
    request.hidden = true;
    request.newConsole = true;
    request.wait = wait || capture;
    request.captureOutput = capture;
    Result<ProcessOutcome> outcome = ports_.process->Run(request);
    if (!outcome) return std::nullopt;  // the logged port has written why
    return capture ? outcome->output : std::string();
}

char IsoTools::MountIso(const std::string& isoPath) {
    std::optional<std::string> devices = RunIsoTool("-p", true, true);
    if (!devices || devices->find(kDevicesText) == std::string::npos) {
        std::optional<std::string> installed = RunIsoTool("-i", true, true);
        if (!installed || installed->find(kInstalledText) == std::string::npos) {
            log().Write("iso", "mount: this Windows cannot attach ISO files");
            return 0;
        }
    }
    std::string letters = ports_.unusedLetters();
    if (letters.empty()) {
        log().Write("iso", "mount: no unused drive letter");
        return 0;
    }
    char letter = letters.back();
    RunIsoTool("-c 1 " + Drive(letter), true, false);
    // Quoted: a path with blanks is one argument.
    RunIsoTool("-infile -mount " + Drive(letter) + " \"" + isoPath + "\"", true, true);
    if (!ports_.folderExists(Root(letter))) {
        log().Write("iso", "mount: " + Root(letter) + " did not appear");
        return 0;
    }
    return letter;
}

void IsoTools::UnmountIso(char letter) {
    if (letter != 0) RunIsoTool("-e " + Drive(letter), true, false);
    RunIsoTool("-r", true, false);
}

std::optional<std::string> IsoTools::ListImages(const std::string& wimPath) {
    std::optional<std::string> tool = Deploy(ImagexFiles, kImagexEntry, &imagexDeployments_, &imagex_);
    if (!tool) return std::nullopt;
    ProcessRequest request;
    request.program = *tool;
    request.arguments = "/xml /info \"" + wimPath + "\"";
    request.hidden = true;
    request.newConsole = true;
    request.captureOutput = true;
    Result<ProcessOutcome> outcome = ports_.process->Run(request);
    if (!outcome) return std::nullopt;
    if (outcome->exitCode != 0) {
        log().Write("iso", "imagex could not list " + wimPath);
        return std::nullopt;
    }
    return outcome->output;
}

int IsoTools::isocmdDeployments() const {
    std::lock_guard lock(mutex_);
    return isocmdDeployments_;
}

int IsoTools::imagexDeployments() const {
    std::lock_guard lock(mutex_);
    return imagexDeployments_;
}

}  // namespace qnb::images
