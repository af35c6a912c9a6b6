#include "app/app_context.h"

#include "app/disk_inventory.h"
#include "app/workspace.h"
#include "platform/bounded_json.h"
#include "platform/paths.h"

namespace qnb {

bool AppContext::Initialise(StoragePort& storage, SystemPort& system, FileSystem& files, FolderSecurity& security) {
    storage_ = &storage;
    system_ = &system;
    files_ = &files;
    ready_ = false;
    systemLetter_ = kUnknownLetter;
    systemDisk_ = -1;
    systemPartition_ = -1;
    systemDiskGpt_ = false;
    is64_ = false;
    major_ = minor_ = 0;
    productType_ = 0;
    workspace_.clear();
    workspaceResult_ = kWorkspaceNone;
    workspaceTrust_ = FolderTrust::kTrusted;

    const bool pe = IsPeMode();
    std::optional<char> letter = FindSystemLetter(pe, system, files);
    if (letter) systemLetter_ = *letter;

    // The disk inventory, and on it the system disk and partition: by the
    // system letter, or when that is unknown, by looking for Windows.
    disks_ = LoadInventory(storage);
    bool anyLoaded = false;
    for (const DiskInfo& disk : disks_) {
        if (!disk.IsLoaded()) continue;
        anyLoaded = true;
        if (letter && disk.HasLetter(systemLetter_)) {
            systemDisk_ = disk.driveNumber;
            systemDiskGpt_ = disk.partitionStyle == disk::kStyleGpt;
            for (const PartitionInfo& p : disk.partitions) {
                if (p.letter == systemLetter_) {
                    systemPartition_ = static_cast<int>(p.number);
                    break;
                }
            }
        } else if (!letter && systemDisk_ < 0) {
            PartitionInfo windows;
            if (disk.WindowsPartition(files, &windows) > 0) {
                systemDisk_ = disk.driveNumber;
                systemDiskGpt_ = disk.partitionStyle == disk::kStyleGpt;
                systemPartition_ = static_cast<int>(windows.number);
                systemLetter_ = windows.letter ? windows.letter : kUnknownLetter;
            }
        }
    }
    if (!anyLoaded) return false;

    is64_ = Is64Bit(pe, systemLetter_, system, files);
    const DiskInfo* systemDisk = nullptr;
    for (const DiskInfo& disk : disks_) {
        if (disk.IsLoaded() && disk.driveNumber == systemDisk_) systemDisk = &disk;
    }
    if (auto version = ReadVersion(pe, systemDisk, systemPartition_, system, files)) {
        major_ = version->major;
        minor_ = version->minor;
        productType_ = version->productType;
        if (version->is64) is64_ = *version->is64;
    }

    WorkspaceChoice choice = ChooseWorkspace(files, security, disks_, systemLetter_);
    workspace_ = choice.path;
    workspaceResult_ = choice.result;
    workspaceTrust_ = choice.trust;

    std::lock_guard<std::mutex> lock(handoffMutex_);
    handoff_.selDisk = systemDisk_;
    handoff_.selPar = systemPartition_;
    if (choice.result == kWorkspaceFound) {
        // The earlier file decides; without one, the disk of the folder does.
        HandoffValues earlier = handoff_;
        auto bytes = json::ReadSmallFile(files, workspace_ + kHandoffFileName);
        if (!bytes || !ApplyEarlierHandoff(*bytes, earlier)) {
            handoff_.sameDisk = WorkspaceOnSystemDisk(disks_, workspace_[0], systemLetter_);
        } else if (choice.Trusted()) {
            handoff_ = earlier;
        } else {
            // Anyone who could change the folder could have written the file:
            // nothing that chooses a disk, a script or a download is taken.
            handoff_.sameDisk = earlier.sameDisk;
            handoff_.showedNote = earlier.showedNote;
        }
        FitHandoffToInventory();
        if (!choice.Trusted()) {
            // From now on only administrators may change it (the folder was
            // found to be no link; Protect refuses one put there meanwhile).
            (void)security.Protect(std::string(paths::Folder(paths::WithoutTrailingSeparator(workspace_))));
            (void)security.Protect(workspace_);
        }
    } else {
        handoff_.sameDisk = choice.sameDisk;
    }
    if (choice.result == kWorkspaceNone) return false;

    ready_ = SaveLocked();
    return ready_;
}

const DiskInfo* AppContext::LoadedDisk(int number) const {
    for (const DiskInfo& disk : disks_) {
        if (disk.IsLoaded() && disk.driveNumber == number) return &disk;
    }
    return nullptr;
}

void AppContext::FitHandoffToInventory() {
    // Numbers from an earlier run that name no disk of this one (the disks
    // were changed, or the file was) are never handed to the environment.
    if (handoff_.repart && !LoadedDisk(handoff_.repartDisk)) handoff_.repart = false;
    const DiskInfo* disk = LoadedDisk(handoff_.selDisk);
    bool partition = false;
    for (const PartitionInfo& p : disk ? disk->partitions : std::vector<PartitionInfo>()) {
        partition |= p.number > 0 && static_cast<int>(p.number) == handoff_.selPar;
    }
    if (!partition) {
        handoff_.selDisk = systemDisk_;
        handoff_.selPar = systemPartition_;
    }
}

bool AppContext::IsPeMode() const {
    if (!system_ || !storage_) return false;
    return qnb::IsPeMode(*system_, *storage_);
}

bool AppContext::SameDisk() const {
    std::lock_guard<std::mutex> lock(handoffMutex_);
    return handoff_.sameDisk;
}

HandoffValues AppContext::Handoff() const {
    std::lock_guard<std::mutex> lock(handoffMutex_);
    return handoff_;
}

bool AppContext::SaveHandoff() {
    std::lock_guard<std::mutex> lock(handoffMutex_);
    return SaveLocked();
}

bool AppContext::SaveLocked() {
    if (!files_ || workspace_.empty()) return false;
    return files_->writeFile(workspace_ + kHandoffFileName, RenderHandoff(handoff_));
}

bool AppContext::HandoffOnDisk() const {
    std::lock_guard<std::mutex> lock(handoffMutex_);
    if (!files_ || workspace_.empty()) return false;
    std::optional<std::string> bytes = json::ReadSmallFile(*files_, workspace_ + kHandoffFileName);
    return bytes && *bytes == RenderHandoff(handoff_);
}

bool AppContext::SelectCatalogueEntry(int index) {
    if (!ready_) return false;
    {
        std::lock_guard<std::mutex> lock(answersMutex_);
        for (CatalogueEntry& entry : catalogue_) entry.selected = entry.index == index;
    }
    std::lock_guard<std::mutex> lock(handoffMutex_);
    handoff_.localImage = false;
    return SaveLocked();
}

bool AppContext::SetLocalImage(const std::string& path) {
    std::lock_guard<std::mutex> lock(handoffMutex_);
    handoff_.localImage = true;
    handoff_.imagePath = path;
    return SaveLocked();
}

bool AppContext::SetImageFile(const std::string& path) {
    std::lock_guard<std::mutex> lock(handoffMutex_);
    handoff_.imagePath = paths::FileName(path);
    return SaveLocked();
}

bool AppContext::SetWimIndex(int index) {
    std::lock_guard<std::mutex> lock(handoffMutex_);
    handoff_.wimPart = index;
    return SaveLocked();
}

bool AppContext::SetPackageUrl(const std::string& url) {
    std::lock_guard<std::mutex> lock(handoffMutex_);
    packageUrl_ = url;
    handoff_.localPeUrl = url;
    return SaveLocked();
}

bool AppContext::SetOption(int option) {
    std::lock_guard<std::mutex> lock(handoffMutex_);
    handoff_.option = option;
    return SaveLocked();
}

bool AppContext::SetQqFolder(const std::string& folder) {
    std::lock_guard<std::mutex> lock(handoffMutex_);
    handoff_.qqLogFolder = folder;
    return SaveLocked();
}

bool AppContext::SetNoteShown() {
    std::lock_guard<std::mutex> lock(handoffMutex_);
    handoff_.showedNote = true;
    return SaveLocked();
}

std::string AppContext::ImagePath(bool full) const {
    std::lock_guard<std::mutex> lock(handoffMutex_);
    return full ? workspace_ + handoff_.imagePath : handoff_.imagePath;
}

std::string AppContext::PackageUrl() const {
    std::lock_guard<std::mutex> lock(handoffMutex_);
    return packageUrl_.empty() ? handoff_.localPeUrl : packageUrl_;
}

void AppContext::SetCatalogue(std::vector<CatalogueEntry> entries, std::vector<CatalogueGroup> groups) {
    int count = static_cast<int>(entries.size());
    {
        std::lock_guard<std::mutex> lock(answersMutex_);
        catalogue_ = std::move(entries);
        groups_ = std::move(groups);
    }
    catalogueCount_.store(count > 0 ? count : -1, std::memory_order_release);
}

void AppContext::SetCatalogueFailed() { catalogueCount_.store(-1, std::memory_order_release); }

std::vector<CatalogueEntry> AppContext::CatalogueEntries() const {
    std::lock_guard<std::mutex> lock(answersMutex_);
    return catalogue_;
}

std::vector<CatalogueGroup> AppContext::CatalogueGroups() const {
    std::lock_guard<std::mutex> lock(answersMutex_);
    return groups_;
}

std::vector<CatalogueEntry> AppContext::CatalogueEntriesOfGroup(int groupId) const {
    std::lock_guard<std::mutex> lock(answersMutex_);
    std::vector<CatalogueEntry> entries;
    for (const CatalogueEntry& entry : catalogue_) {
        if (groupId < 0 || entry.groupid == groupId) entries.push_back(entry);
    }
    return entries;
}

CatalogueEntry AppContext::SelectedEntry() const {
    std::lock_guard<std::mutex> lock(answersMutex_);
    for (const CatalogueEntry& entry : catalogue_) {
        if (entry.selected) return entry;
    }
    return {};
}

std::string AppContext::SelectedImageUrl() const {
    std::lock_guard<std::mutex> lock(answersMutex_);
    for (const CatalogueEntry& entry : catalogue_) {
        if (entry.selected) return entry.url;
    }
    return {};
}

void AppContext::SetUpdateAnswer(UpdateInfo info) {
    {
        std::lock_guard<std::mutex> lock(answersMutex_);
        update_ = std::move(info);
    }
    updateState_.store(1, std::memory_order_release);
}

UpdateInfo AppContext::Update() const {
    std::lock_guard<std::mutex> lock(answersMutex_);
    return update_;
}

}  // namespace qnb
