// Deploying the download engine at start-up: the library and its companion
// files from the payload archive into a folder of their own, the download
// records read, the companion program run once. The folder is made afresh
// at each start and only Administrators and SYSTEM may change it, since the
// program runs elevated and loads what it finds there.
#pragma once

#include "jobs/stop_token.h"
#include "platform/file_system.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qnb {

constexpr char kEngineLibraryEntry[] = "xldl.dll";
constexpr char kCompanionProgram[] = "MiniTPFw.exe";
// The companion files, in the order they are deployed ("download/" + name in the archive).
extern const char* const kEngineCompanionFiles[13];

struct DeployTarget {
    std::string entry;   // payload archive entry name
    std::string target;  // full path
};

// Where each file goes below folder (which ends with "\"): the library
// first, then the companions in their order, in "download\".
std::vector<DeployTarget> EngineDeploymentLayout(const std::string& folder);

// The engine library's path, published once by the deployment: empty when
// the payload carries no engine. The download worker waits for it.
class EngineLocation {
public:
    void Publish(const std::string& libraryPath);
    // The path once published; nothing when stop was requested first.
    std::optional<std::string> Wait(const StopToken& stop) const;
    std::optional<std::string> Get() const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable published_;
    std::optional<std::string> path_;
};

struct DeployPorts {
    // A new folder only Administrators and SYSTEM can change, ending with
    // "\"; nothing when it cannot be made.
    std::function<std::optional<std::string>()> makeFolder;
    // Writes an archive entry to a file; the bytes written, 0 when none.
    std::function<uint64_t(const std::string& entry, const std::string& target)> extract;
    // The long form of a path.
    std::function<std::string(const std::string& path)> longPath;
    // Runs the companion program hidden with folder as its current folder
    // and waits for it; false when it could not be started.
    std::function<bool(const std::string& program, const std::string& folder)> runAndWait;
    // Reads the download records (CDownloadManager::Initialise).
    std::function<void()> initialiseDownloads;
};

// The name the deployment gives its folders: "QNB" and 16 hex digits.
bool IsDeploymentFolderName(std::string_view name);

// Removes what earlier runs deployed below temporary (ending with "\"):
// every folder of the deployment's name with its files and its "download"
// folder's files. Junctions and links are never entered or removed, and
// what cannot be removed (a running copy holds its folder) stays. Returns
// the number of folders removed.
int RemoveEarlierDeployments(FileSystem& files, const std::string& temporary);

// The body of the start-up thread. Returns the library's path ("" when the
// payload has none or no folder could be made). Files the payload does not
// carry are skipped; the companion program runs only when it was deployed.
std::string DeployDownloadEngine(const DeployPorts& ports, EngineLocation& location);

}  // namespace qnb
