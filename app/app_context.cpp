#include "app/app_context.h"

#include "app/disk_inventory.h"
#include "app/workspace.h"
#include "platform/bounded_json.h"
#include "platform/paths.h"

namespace qnb {

namespace {

// Steps 1 to 3 of the initialisation, into a record of their own. False
// when no disk loaded (the facts after the inventory are kept all the same).
bool Survey(bool pe, StoragePort& storage, SystemPort& system, FileSystem& files, MachineFacts& facts) {
    std::optional<char> letter = FindSystemLetter(pe, system, files);
    if (letter) facts.systemLetter = *letter;

    // The disk inventory, and on it the system disk and partition: by the
    // system letter, or when that is unknown, by looking for Windows.
    facts.disks = LoadInventory(storage);
    bool anyLoaded = false;
    for (const DiskInfo& disk : facts.disks) {
        if (!disk.IsLoaded()) continue;
        anyLoaded = true;
        if (letter && disk.HasLetter(facts.systemLetter)) {
            facts.systemDisk = disk.driveNumber;
            facts.systemDiskGpt = disk.partitionStyle == disk::kStyleGpt;
            for (const PartitionInfo& p : disk.partitions) {
                if (p.letter == facts.systemLetter) {
                    facts.systemPartition = static_cast<int>(p.number);
                    break;
                }
            }
        } else if (!letter && facts.systemDisk < 0) {
            PartitionInfo windows;
            if (disk.WindowsPartition(files, &windows) > 0) {
                facts.systemDisk = disk.driveNumber;
                facts.systemDiskGpt = disk.partitionStyle == disk::kStyleGpt;
                facts.systemPartition = static_cast<int>(windows.number);
                facts.systemLetter = windows.letter ? windows.letter : kUnknownLetter;
            }
        }
    }
    if (!anyLoaded) return false;

    facts.is64 = Is64Bit(pe, facts.systemLetter, system, files);
    const DiskInfo* systemDisk = nullptr;
    for (const DiskInfo& disk : facts.disks) {
        if (disk.IsLoaded() && disk.driveNumber == facts.systemDisk) systemDisk = &disk;
    }
    if (auto version = ReadVersion(pe, systemDisk, facts.systemPartition, system, files)) {
        facts.major = version->major;
        facts.minor = version->minor;
        facts.productType = version->productType;
        if (version->is64) facts.is64 = *version->is64;
    }
    return true;
}

}  // namespace

AppContext::AppContext() : facts_(std::make_shared<MachineFacts>()) {}

std::shared_ptr<const MachineFacts> AppContext::Facts() const {
    std::lock_guard<std::mutex> lock(factsMutex_);
    return facts_;
}

std::string AppContext::OsName() const {
    auto facts = Facts();
    return qnb::OsName(facts->major, facts->minor);
}

int AppContext::OsTypeCode() const {
    auto facts = Facts();
    return qnb::OsTypeCode(facts->major, facts->minor, facts->is64);
}

bool AppContext::IsXp() const {
    auto facts = Facts();
    return qnb::IsXp(facts->major, facts->minor);
}

bool AppContext::Initialise(StoragePort& storage, SystemPort& system, FileSystem& files, FolderSecurity& security) {
    storage_ = &storage;
    system_ = &system;
    files_ = &files;

    // Worked out apart: readers keep the earlier facts meanwhile.
    auto facts = std::make_shared<MachineFacts>();
    const bool anyLoaded = Survey(IsPeMode(), storage, system, files, *facts);
    WorkspaceChoice choice;
    if (anyLoaded) {
        choice = ChooseWorkspace(files, security, facts->disks, facts->systemLetter);
        facts->workspace = choice.path;
        facts->workspaceResult = choice.result;
        facts->workspaceTrust = choice.trust;
    }

    std::lock_guard<std::mutex> lock(handoffMutex_);
    const std::string earlierWorkspace = Facts()->workspace;
    {
        std::lock_guard<std::mutex> swap(factsMutex_);
        facts_ = facts;
    }
    if (!anyLoaded) {
        ready_ = false;
        return false;
    }
    handoff_.selDisk = facts->systemDisk;
    handoff_.selPar = facts->systemPartition;
    if (!facts->workspace.empty() && facts->workspace == earlierWorkspace) {
        // The same folder: its file holds what the setters wrote, the choices
        // made meanwhile included; only the target follows the machine.
    } else if (choice.result == kWorkspaceFound) {
        // The earlier file decides; without one, the disk of the folder does.
        HandoffValues earlier = handoff_;
        auto bytes = json::ReadSmallFile(files, facts->workspace + kHandoffFileName);
        if (!bytes || !ApplyEarlierHandoff(*bytes, earlier)) {
            handoff_.sameDisk = WorkspaceOnSystemDisk(facts->disks, facts->workspace[0], facts->systemLetter);
        } else if (choice.Trusted()) {
            handoff_ = earlier;
        } else {
            // Anyone who could change the folder could have written the file:
            // nothing that chooses a disk, a script or a download is taken.
            handoff_.sameDisk = earlier.sameDisk;
            handoff_.showedNote = earlier.showedNote;
        }
        FitHandoffToInventory(*facts);
        if (!choice.Trusted()) {
            // From now on only administrators may change it (the folder was
            // found to be no link; Protect refuses one put there meanwhile).
            (void)security.Protect(std::string(paths::Folder(paths::WithoutTrailingSeparator(facts->workspace))));
            (void)security.Protect(facts->workspace);
        }
    } else {
        handoff_.sameDisk = choice.sameDisk;
    }
    if (choice.result == kWorkspaceNone) {
        ready_ = false;
        return false;
    }
    ready_ = SaveLocked();
    return ready_;
}

void AppContext::FitHandoffToInventory(const MachineFacts& facts) {
    auto loaded = [&facts](int number) -> const DiskInfo* {
        for (const DiskInfo& disk : facts.disks) {
            if (disk.IsLoaded() && disk.driveNumber == number) return &disk;
        }
        return nullptr;
    };
    // Numbers from an earlier run that name no disk of this one (the disks
    // were changed, or the file was) are never handed to the environment.
    if (handoff_.repart && !loaded(handoff_.repartDisk)) handoff_.repart = false;
    const DiskInfo* disk = loaded(handoff_.selDisk);
    bool partition = false;
    for (const PartitionInfo& p : disk ? disk->partitions : std::vector<PartitionInfo>()) {
        partition |= p.number > 0 && static_cast<int>(p.number) == handoff_.selPar;
    }
    if (!partition) {
        handoff_.selDisk = facts.systemDisk;
        handoff_.selPar = facts.systemPartition;
    }
}

bool AppContext::IsPeMode() const {
    SystemPort* system = system_;
    StoragePort* storage = storage_;
    if (!system || !storage) return false;
    return qnb::IsPeMode(*system, *storage);
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
    FileSystem* files = files_;
    const std::string workspace = Facts()->workspace;
    if (!files || workspace.empty()) return false;
    return files->writeFile(workspace + kHandoffFileName, RenderHandoff(handoff_));
}

bool AppContext::HandoffOnDisk() const {
    std::lock_guard<std::mutex> lock(handoffMutex_);
    FileSystem* files = files_;
    const std::string workspace = Facts()->workspace;
    if (!files || workspace.empty()) return false;
    std::optional<std::string> bytes = json::ReadSmallFile(*files, workspace + kHandoffFileName);
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
    return full ? Facts()->workspace + handoff_.imagePath : handoff_.imagePath;
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
