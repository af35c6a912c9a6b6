// The two payload tools of the local-image choice, as the program drives
// them: isocmd.exe mounts an ISO at a drive letter and imagex.exe lists the
// images of a WIM. Both are deployed once per process into one fresh folder
// that only Administrators and SYSTEM can change (the program runs
// elevated and starts what it finds there), and started by full path.
#pragma once

#include "log/log.h"
#include "platform/process_port.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qnb::images {

// Payload entries, and where they go below the tools' folder.
constexpr char kIsocmdEntry[] = "isocmd/isocmd.exe";
constexpr char kIsoDriveEntry[] = "isocmd/ISODrive.sys";
constexpr char kIsoDrv64Entry[] = "isocmd/ISODrv64.sys";
constexpr char kImagexEntry[] = "imagex.exe";

// What isocmd's answers are searched for (plain, case-sensitive).
constexpr char kDevicesText[] = "Number of Devices=";
constexpr char kInstalledText[] = "successfully";

struct ToolFile {
    std::string entry;   // payload entry name
    std::string target;  // full path
};

// The files of each tool below folder (ending with "\"), in deployment
// order; drivers first, as the payload lists them.
std::vector<ToolFile> IsocmdFiles(const std::string& folder);
std::vector<ToolFile> ImagexFiles(const std::string& folder);

struct IsoToolPorts {
    // A new folder only Administrators and SYSTEM can change, ending with
    // "\"; nothing when it cannot be made.
    std::function<std::optional<std::string>()> makeFolder;
    // Writes payload entries to their targets; the bytes written for each
    // (0 for an entry the payload lacks).
    std::function<std::vector<uint64_t>(const std::vector<ToolFile>& files)> extract;
    // Starts the tools (the logged port, so that every run is in the log).
    ProcessPort* process = nullptr;
    // The letters C to Z, in order, that no drive uses.
    std::function<std::string()> unusedLetters;
    // True when the folder exists ("Z:\").
    std::function<bool(const std::string& folder)> folderExists;
    Log* log = nullptr;
};

class IsoTools {
public:
    explicit IsoTools(IsoToolPorts ports);

    // Runs isocmd.exe with arguments, deploying it first when this process
    // has not. Hidden, in a new console, in its own folder. With capture
    // (which waits) the tool's output, read until it closes it; "" without.
    // Nothing when the tool cannot be deployed or started.
    std::optional<std::string> RunIsoTool(const std::string& arguments, bool wait, bool capture);

    // Mounts the ISO read-only at the highest unused letter; the letter, or
    // 0 when it could not be mounted (the reason is in the log).
    char MountIso(const std::string& isoPath);
    // Detaches what MountIso attached at letter, and anything else isocmd
    // still holds. Each run is waited for, so that a following mount never
    // meets a detach still under way.
    void UnmountIso(char letter);

    // "imagex /xml /info WIM": the WIM's XML description (UTF-8), deploying
    // imagex.exe first when this process has not. Nothing when the tool
    // cannot be deployed or started, or ends with a failure.
    std::optional<std::string> ListImages(const std::string& wimPath);

    // How many times each tool was written out (once per process).
    int isocmdDeployments() const;
    int imagexDeployments() const;

private:
    using Layout = std::vector<ToolFile> (*)(const std::string& folder);
    // Writes a tool's files out once per process; the path of the tool
    // (the file of entry tool), nothing when it could not be written.
    std::optional<std::string> Deploy(Layout layout, const char* tool, int* count,
                                      std::optional<std::string>* deployed);
    Log& log() { return OrNoLog(ports_.log); }

    IsoToolPorts ports_;
    mutable std::mutex mutex_;  // the folder and the deployed tools
    std::optional<std::string> folder_;
    std::optional<std::string> isocmd_;
    std::optional<std::string> imagex_;
    int isocmdDeployments_ = 0;
    int imagexDeployments_ = 0;
};

}  // namespace qnb::images
