#include "download/engine_deploy.h"

#include "platform/paths.h"

namespace qnb {

const char* const kEngineCompanionFiles[13] = {
    "atl71.dll",   "dl_peer_id.dll", "download_engine.dll", "id.dat",           "MiniThunderPlatform.exe",
    "MiniTPFw.exe", "minizip.dll",   "msvcp71.dll",         "msvcr71.dll",      "ThunderFW.exe",
    "XLBugHandler.dll", "XLBugReport.exe", "zlib1.dll",
};

std::vector<DeployTarget> EngineDeploymentLayout(const std::string& folder) {
    std::vector<DeployTarget> layout{{kEngineLibraryEntry, folder + kEngineLibraryEntry}};
    for (const char* name : kEngineCompanionFiles) {
        layout.push_back({std::string("download/") + name, folder + "download\\" + name});
    }
    return layout;
}

bool IsDeploymentFolderName(std::string_view name) {
    if (name.size() != 19 || name.substr(0, 3) != "QNB") return false;
    for (char c : name.substr(3)) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    }
    return true;
}

namespace {

constexpr uint32_t kLink = kFileAttributeReparsePoint;

// Removes the plain files of a folder; true when nothing is left in it.
bool RemoveFiles(FileSystem& files, const std::string& folder) {
    bool empty = true;
    for (const DirectoryEntry& entry : files.list(folder)) {
        if (entry.name == "." || entry.name == "..") continue;
        // Folders, junctions and links are never entered nor removed here.
        if ((entry.attributes & (kLink | kFileAttributeDirectory)) || !files.deleteFile(folder + entry.name))
            empty = false;
    }
    return empty;
}

}  // namespace

int RemoveEarlierDeployments(FileSystem& files, const std::string& temporary) {
    if (temporary.empty()) return 0;
    int removed = 0;
    for (const DirectoryEntry& entry : files.list(temporary)) {
        if (!IsDeploymentFolderName(entry.name) || !(entry.attributes & kFileAttributeDirectory) ||
            (entry.attributes & kLink))
            continue;
        const std::string folder = temporary + entry.name + "\\";
        Result<FileFacts> inner = files.facts(folder + "download");
        if (inner && (inner->attributes & kFileAttributeDirectory) && !(inner->attributes & kLink) &&
            RemoveFiles(files, folder + "download\\")) {
            (void)files.removeDirectory(folder + "download");
        }
        if (RemoveFiles(files, folder) && files.removeDirectory(temporary + entry.name).ok()) ++removed;
    }
    return removed;
}

void EngineLocation::Publish(const std::string& libraryPath) {
    std::lock_guard lock(mutex_);
    path_ = libraryPath;
    published_.notify_all();
}

std::optional<std::string> EngineLocation::Wait(const StopToken& stop) const {
    StopCallback onStop(stop, [this] {
        std::lock_guard lock(mutex_);
        published_.notify_all();
    });
    std::unique_lock lock(mutex_);
    published_.wait(lock, [&] { return path_ || stop.StopRequested(); });
    return path_;
}

std::optional<std::string> EngineLocation::Get() const {
    std::lock_guard lock(mutex_);
    return path_;
}

std::string DeployDownloadEngine(const DeployPorts& ports, EngineLocation& location) {
    std::optional<std::string> folder = ports.makeFolder();
    std::string library;
    bool companion = false;
    if (folder) {
        for (const DeployTarget& file : EngineDeploymentLayout(*folder)) {
            // A file the payload does not carry is skipped.
            uint64_t written = ports.extract(file.entry, file.target);
            if (file.entry == kEngineLibraryEntry && written > 0) library = file.target;
            if (file.entry == std::string("download/") + kCompanionProgram && written > 0) companion = true;
        }
    }
    // Published only once the files are in place, so that the download
    // worker never loads a library that is still being written.
    location.Publish(library);
    if (ports.initialiseDownloads) ports.initialiseDownloads();
    if (companion && !library.empty()) {
        std::string engineFolder = ports.longPath(library);
        engineFolder = std::string(paths::Folder(engineFolder)) + "download\\";
        ports.runAndWait(engineFolder + kCompanionProgram, engineFolder);
    }
    return library;
}

}  // namespace qnb
