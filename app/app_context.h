// The one application-wide context: disks, Windows facts, the workspace
// folder, the hand-off values and what the service threads leave for the
// windows.
#pragma once

#include "app/catalogue.h"
#include "app/disk_info.h"
#include "app/handoff_file.h"
#include "app/windows_facts.h"
#include "platform/file_system.h"
#include "platform/folder_security.h"
#include "platform/storage_port.h"
#include "platform/system_port.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace qnb {

class AppContext {
public:
    // Start-up step 4, on the main thread: disk inventory, Windows facts,
    // workspace folder, earlier hand-off file and the first save. Returns the
    // ready flag: true only when a disk loaded, the workspace folder exists
    // and SETTING.JSON was written. The ports must outlive the context.
    //
    // A workspace folder of an earlier run that others could have changed
    // (security says so) is adopted as not trusted: of its SETTING.JSON only
    // bSameDisk and bShowedNote are taken, never the values that choose a
    // disk, a script or the package address; and the folder is given the
    // protected access list.
    bool Initialise(StoragePort& storage, SystemPort& system, FileSystem& files, FolderSecurity& security);
    bool IsReady() const { return ready_; }

    // Windows facts. The PE-mode test is asked afresh on every call.
    bool IsPeMode() const;
    char SystemLetter() const { return systemLetter_; }
    int SystemDisk() const { return systemDisk_; }
    int SystemPartition() const { return systemPartition_; }
    bool SystemDiskIsGpt() const { return systemDiskGpt_; }
    bool Is64() const { return is64_; }
    int Major() const { return major_; }
    int Minor() const { return minor_; }
    uint32_t ProductType() const { return productType_; }
    std::string OsName() const { return qnb::OsName(major_, minor_); }
    int OsTypeCode() const { return qnb::OsTypeCode(major_, minor_, is64_); }
    std::string EditionName() const { return qnb::EditionName(productType_); }
    bool IsXp() const { return qnb::IsXp(major_, minor_); }

    const std::vector<DiskInfo>& Disks() const { return disks_; }

    // The workspace folder, ending with a backslash; empty when none.
    std::string WorkspacePath() const { return workspace_; }
    int WorkspaceResult() const { return workspaceResult_; }
    // Whether what an earlier run left in the workspace folder may be
    // believed (a folder made now is); why not, when it may not.
    bool WorkspaceTrusted() const { return workspaceTrust_ == FolderTrust::kTrusted; }
    FolderTrust WorkspaceTrust() const { return workspaceTrust_; }
    bool SameDisk() const;

    // The hand-off values. Every setter saves SETTING.JSON at once and says
    // whether the save succeeded (the value is kept either way); saves are
    // made one at a time, from any thread.
    HandoffValues Handoff() const;
    bool SaveHandoff();
    bool SelectCatalogueEntry(int index);  // refused while not ready
    bool SetLocalImage(const std::string& path);
    bool SetImageFile(const std::string& path);
    bool SetWimIndex(int index);
    bool SetPackageUrl(const std::string& url);
    bool SetOption(int option);
    bool SetQqFolder(const std::string& folder);
    bool SetNoteShown();
    // True when SETTING.JSON on disk holds exactly the current values: what
    // a flow asks before its restart question, so that the environment never
    // starts on a file that a failed save left behind.
    bool HandoffOnDisk() const;
    // strImagePath, or the workspace path followed by it.
    std::string ImagePath(bool full) const;
    // This run's package URL when the service gave one, else the earlier LocalPeUrl.
    std::string PackageUrl() const;

    // The catalogue, written by the service thread: count 0 = not yet,
    // -1 = failed, n = loaded (set after the entries are in place).
    void SetCatalogue(std::vector<CatalogueEntry> entries, std::vector<CatalogueGroup> groups);
    void SetCatalogueFailed();
    int CatalogueCount() const { return catalogueCount_.load(std::memory_order_acquire); }
    std::vector<CatalogueEntry> CatalogueEntries() const;
    std::vector<CatalogueGroup> CatalogueGroups() const;
    // The entries of one group, in answer order (all of them for a negative id).
    std::vector<CatalogueEntry> CatalogueEntriesOfGroup(int groupId) const;
    // The chosen entry; an empty entry (index 0) when none is chosen.
    CatalogueEntry SelectedEntry() const;
    std::string SelectedImageUrl() const;

    // The update answer, written once by the update thread: state 0 = no
    // answer (yet), 1 = answered, -1 = the answer did not parse.
    void SetUpdateAnswer(UpdateInfo info);
    void SetUpdateUnparsable() { updateState_.store(-1, std::memory_order_release); }
    int UpdateState() const { return updateState_.load(std::memory_order_acquire); }
    UpdateInfo Update() const;

private:
    bool SaveLocked();  // with handoffMutex_ held
    const DiskInfo* LoadedDisk(int number) const;
    // With handoffMutex_ held: disk and partition numbers of an earlier file
    // that this inventory lacks give way to the inventory's.
    void FitHandoffToInventory();

    StoragePort* storage_ = nullptr;
    SystemPort* system_ = nullptr;
    FileSystem* files_ = nullptr;

    std::atomic<bool> ready_{false};
    char systemLetter_ = kUnknownLetter;
    int systemDisk_ = -1;
    int systemPartition_ = -1;
    bool systemDiskGpt_ = false;
    bool is64_ = false;
    int major_ = 0;
    int minor_ = 0;
    uint32_t productType_ = 0;
    std::vector<DiskInfo> disks_;
    std::string workspace_;
    int workspaceResult_ = -1;
    FolderTrust workspaceTrust_ = FolderTrust::kTrusted;

    mutable std::mutex handoffMutex_;
    HandoffValues handoff_;
    std::string packageUrl_;  // this run's answer

    mutable std::mutex answersMutex_;
    std::vector<CatalogueEntry> catalogue_;
    std::vector<CatalogueGroup> groups_;
    std::atomic<int> catalogueCount_{0};
    UpdateInfo update_;
    std::atomic<int> updateState_{0};
};

}  // namespace qnb
