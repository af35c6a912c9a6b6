// The one application-wide context: disks, Windows facts, the workspace
// folder, the hand-off values and what the service threads leave for the
// windows.
#pragma once

#include "app/catalogue.h"
#include "app/disk_info.h"
#include "app/handoff_file.h"
#include "app/windows_facts.h"
#include "app/workspace.h"
#include "platform/file_system.h"
#include "platform/folder_security.h"
#include "platform/storage_port.h"
#include "platform/system_port.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qnb {

// The machine as one initialisation found it. An initialisation builds a
// new record apart and puts it in place at once, so that a reader always
// sees the facts of one initialisation, never a mix of two.
struct MachineFacts {
    char systemLetter = kUnknownLetter;
    int systemDisk = -1;
    int systemPartition = -1;
    bool systemDiskGpt = false;
    bool is64 = false;
    int major = 0;
    int minor = 0;
    uint32_t productType = 0;
    std::vector<DiskInfo> disks;
    std::string workspace;  // ends with a backslash; empty when none
    int workspaceResult = kWorkspaceNone;
    FolderTrust workspaceTrust = FolderTrust::kTrusted;
};

class AppContext {
public:
    AppContext();

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
    //
    // The hardware page runs it again while other threads read the context:
    // the new facts replace the old ones whole, the ready flag changes only
    // at the end, and the hand-off values stay as the setters left them (only
    // the system disk and partition follow the new facts), unless the
    // workspace folder is another one, whose earlier file is then read.
    // The catalogue and the update answer are not touched.
    bool Initialise(StoragePort& storage, SystemPort& system, FileSystem& files, FolderSecurity& security);
    bool IsReady() const { return ready_; }

    // Every fact of the latest initialisation, together.
    std::shared_ptr<const MachineFacts> Facts() const;

    // Windows facts. The PE-mode test is asked afresh on every call.
    bool IsPeMode() const;
    char SystemLetter() const { return Facts()->systemLetter; }
    int SystemDisk() const { return Facts()->systemDisk; }
    int SystemPartition() const { return Facts()->systemPartition; }
    bool SystemDiskIsGpt() const { return Facts()->systemDiskGpt; }
    bool Is64() const { return Facts()->is64; }
    int Major() const { return Facts()->major; }
    int Minor() const { return Facts()->minor; }
    uint32_t ProductType() const { return Facts()->productType; }
    std::string OsName() const;
    int OsTypeCode() const;
    std::string EditionName() const { return qnb::EditionName(ProductType()); }
    bool IsXp() const;

    std::vector<DiskInfo> Disks() const { return Facts()->disks; }

    // The workspace folder, ending with a backslash; empty when none.
    std::string WorkspacePath() const { return Facts()->workspace; }
    int WorkspaceResult() const { return Facts()->workspaceResult; }
    // Whether what an earlier run left in the workspace folder may be
    // believed (a folder made now is); why not, when it may not.
    bool WorkspaceTrusted() const { return WorkspaceTrust() == FolderTrust::kTrusted; }
    FolderTrust WorkspaceTrust() const { return Facts()->workspaceTrust; }
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
    // With handoffMutex_ held: disk and partition numbers of an earlier file
    // that this inventory lacks give way to the inventory's.
    void FitHandoffToInventory(const MachineFacts& facts);

    std::atomic<StoragePort*> storage_{nullptr};
    std::atomic<SystemPort*> system_{nullptr};
    std::atomic<FileSystem*> files_{nullptr};

    std::atomic<bool> ready_{false};
    mutable std::mutex factsMutex_;
    std::shared_ptr<const MachineFacts> facts_;

    // Lock order: handoffMutex_ before factsMutex_.
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
