#include "app/space_guard.h"

#include "app/test_support/machine_fixture.h"
#include "jobs/test_support/manual_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>

namespace qnb {
namespace {

using test::MachineFixture;

TEST(SpaceGuardKeepRule, Table) {
    const std::string w = "D:\\Quenbrook\\Data\\";
    struct Case { std::string name; std::string name1, name2; bool kept; };
    const Case cases[] = {
        {"SETTING.JSON", "", "", true},
        {"Download.json", "", "", true},
        {"QNBReinstaller.exe", "", "", true},
        {"QNBREINSTALLER.EXE", "", "", true},
        {"win10.gho", "", "", false},
        {"win10.gho", w + "win10.gho", "", true},
        {"win10.gho.td.cfg", w + "win10.gho", "", true},  // the engine's partial files begin with the target's name
        {"TessalyPE.wim", w + "win10.gho", w + "TessalyPE.wim", true},
        {"old.iso", w + "win10.gho", w + "TessalyPE.wim", false},
        {"NULL_X", "", "", true},                         // nothing downloading: the placeholder name itself
        {"readme.txt", "", "", false},
    };
    for (const Case& c : cases) EXPECT_EQ(KeptByGuard(w + c.name, c.name1, c.name2), c.kept) << c.name;
}

class SpaceGuardTest : public ::testing::Test {
protected:
    void SetUpMachine(uint64_t free) {
        machine_ = std::make_unique<MachineFixture>(
            R"({"disks": [{"number": 0, "bus_type": 11, "partitions": [{"number": 1, "mbr_type": 7, "length": 100000000000,
                  "volume": {"letter": "D", "fs": "NTFS", "free": )" + std::to_string(free) + "}}]}]}");
        for (const char* name : {"SETTING.JSON", "Download.json", "QNBReinstaller.exe", "win10.gho", "win10.gho.td",
                                 "TessalyPE.wim", "stale.iso", "old.tmp"}) {
            machine_->WriteFile(kWorkspace + name, "x");
        }
        machine_->MakeFolders(kWorkspace + "系统备份");
    }
    std::vector<std::string> Remaining() {
        std::vector<std::string> names;
        for (const DirectoryEntry& e : machine_->files().list(kWorkspace)) {
            if (e.name != "." && e.name != "..") names.push_back(e.name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    const std::string kWorkspace = "D:\\Quenbrook\\Data\\";
    std::unique_ptr<MachineFixture> machine_;
};

TEST_F(SpaceGuardTest, EnoughFreeSpaceDeletesNothing) {
    SetUpMachine(6 * kGiB);
    EXPECT_EQ(SpaceGuardRound(machine_->storage(), machine_->files(), kWorkspace, "", ""), 0);
    EXPECT_EQ(Remaining().size(), 9u);
}

TEST_F(SpaceGuardTest, LowSpaceDeletesWhatIsNotKept) {
    SetUpMachine(6 * kGiB - 4096);
    EXPECT_EQ(SpaceGuardRound(machine_->storage(), machine_->files(), kWorkspace, kWorkspace + "win10.gho",
                              kWorkspace + "TessalyPE.wim"),
              2);
    EXPECT_EQ(Remaining(), (std::vector<std::string>{"Download.json", "QNBReinstaller.exe", "SETTING.JSON",
                                                     "TessalyPE.wim", "win10.gho", "win10.gho.td", "系统备份"}));
}

TEST_F(SpaceGuardTest, WithNothingDownloadingOnlyRecordsAndProgramsSurvive) {
    SetUpMachine(kGiB);
    SpaceGuardRound(machine_->storage(), machine_->files(), kWorkspace, "", "");
    EXPECT_EQ(Remaining(), (std::vector<std::string>{"Download.json", "QNBReinstaller.exe", "SETTING.JSON", "系统备份"}));
}

TEST_F(SpaceGuardTest, UnknownFreeSpaceDeletesNothing) {
    SetUpMachine(kGiB);
    EXPECT_EQ(SpaceGuardRound(machine_->storage(), machine_->files(), "Q:\\Quenbrook\\Data\\", "", ""), 0);
}

// A listing with folders that carry more attributes than "directory".
class FoldersWithAttributes : public HostFileSystem {
public:
    explicit FoldersWithAttributes(const HostFileSystem& inner) : HostFileSystem(inner) {}
    std::vector<DirectoryEntry> list(const std::string& f) override {
        std::vector<DirectoryEntry> entries = HostFileSystem::list(f);
        entries.push_back({"hidden folder", kFileAttributeDirectory | 0x2});
        entries.push_back({"linked folder", kFileAttributeDirectory | kFileAttributeReparsePoint});
        return entries;
    }
    bool deleteFile(const std::string& p) override {
        deleted.push_back(p);
        return HostFileSystem::deleteFile(p);
    }
    std::vector<std::string> deleted;
};

TEST_F(SpaceGuardTest, FoldersAreNeverTouchedWhateverTheirOtherAttributes) {
    SetUpMachine(kGiB);
    FoldersWithAttributes files(machine_->files());
    EXPECT_EQ(SpaceGuardRound(machine_->storage(), files, kWorkspace, "", ""), 5);
    for (const std::string& path : files.deleted) EXPECT_EQ(path.find("folder"), std::string::npos) << path;
}

// A junction or link beside the workspace's files, or in its place, leads
// outside it: the guard deletes nothing there, nor the links themselves.
TEST_F(SpaceGuardTest, NothingOutsideTheWorkspaceIsDeletedThroughALink) {
    SetUpMachine(kGiB);
    machine_->WriteFile("D:\\Outside\\precious.doc", "x");
    machine_->WriteFile("D:\\Outside\\inner\\more.doc", "x");
    const std::string host = machine_->files().HostPath("D:\\Outside");
    const std::string data = machine_->files().HostPath(kWorkspace);
    ASSERT_EQ(::symlink(host.c_str(), (data + "/junction").c_str()), 0);
    ASSERT_EQ(::symlink((host + "/precious.doc").c_str(), (data + "/linked.doc").c_str()), 0);
    SpaceGuardRound(machine_->storage(), machine_->files(), kWorkspace, "", "");
    EXPECT_TRUE(machine_->Exists("D:\\Outside\\precious.doc"));
    EXPECT_TRUE(machine_->Exists("D:\\Outside\\inner\\more.doc"));
    EXPECT_EQ(Remaining(), (std::vector<std::string>{"Download.json", "QNBReinstaller.exe", "SETTING.JSON", "junction",
                                                     "linked.doc", "系统备份"}));

    // The workspace folder itself a link to a folder elsewhere.
    ASSERT_EQ(::symlink(host.c_str(), machine_->files().HostPath("D:\\Quenbrook\\Linked").c_str()), 0);
    EXPECT_EQ(SpaceGuardRound(machine_->storage(), machine_->files(), "D:\\Quenbrook\\Linked\\", "", ""), 0);
    EXPECT_TRUE(machine_->Exists("D:\\Outside\\precious.doc"));
}

TEST_F(SpaceGuardTest, TheJobWaitsForTheContextAndEndsOnStop) {
    SetUpMachine(kGiB);
    AppContext notReady;
    test::ManualClock clock;
    Job job("space guard", clock);
    ASSERT_TRUE(job.Start([&](JobControl& control) {
        return RunSpaceGuard(control, notReady, machine_->storage(), machine_->files(), nullptr);
    }));
    ASSERT_TRUE(clock.WaitForSleepers(1));
    ASSERT_TRUE(clock.Step(std::chrono::seconds(10)));
    EXPECT_EQ(Remaining().size(), 9u) << "a context that is not ready is never cleaned";
    job.RequestStop();
    job.Join();
    EXPECT_TRUE(job.Finished());
}

TEST_F(SpaceGuardTest, TheJobCleansEveryPeriodOnceTheContextIsReady) {
    SetUpMachine(kGiB);
    AppContext context;
    ASSERT_TRUE(context.Initialise(machine_->storage(), machine_->system(), machine_->files(), machine_->folders()));
    ASSERT_EQ(context.WorkspacePath(), kWorkspace);
    test::ManualClock clock;
    Job job("space guard", clock);
    ASSERT_TRUE(job.Start([&](JobControl& control) {
        return RunSpaceGuard(control, context, machine_->storage(), machine_->files(), nullptr);
    }));
    ASSERT_TRUE(clock.WaitForSleepers(1));
    EXPECT_EQ(Remaining(), (std::vector<std::string>{"Download.json", "QNBReinstaller.exe", "SETTING.JSON", "系统备份"}));
    machine_->WriteFile(kWorkspace + "later.tmp", "x");
    ASSERT_TRUE(clock.Step(SpaceGuardTiming{}.period));
    EXPECT_EQ(Remaining().size(), 4u) << "a file that appeared meanwhile goes at the next round";
}

TEST_F(SpaceGuardTest, TheJobKeepsALocalImageAndItsCopyUnderWay) {
    SetUpMachine(kGiB);
    machine_->WriteFile(kWorkspace + "win7.iso", "moved in by the backup");
    machine_->WriteFile(kWorkspace + "win7.iso.tmp4242_0", "being copied");
    AppContext context;
    ASSERT_TRUE(context.Initialise(machine_->storage(), machine_->system(), machine_->files(), machine_->folders()));
    context.SetLocalImage("E:\\images\\win7.iso");
    test::ManualClock clock;
    Job job("space guard", clock);
    ASSERT_TRUE(job.Start([&](JobControl& control) {
        return RunSpaceGuard(control, context, machine_->storage(), machine_->files(), nullptr);
    }));
    ASSERT_TRUE(clock.WaitForSleepers(1));
    EXPECT_EQ(Remaining(), (std::vector<std::string>{"Download.json", "QNBReinstaller.exe", "SETTING.JSON",
                                                     "win7.iso", "win7.iso.tmp4242_0", "系统备份"}));
    context.SetImageFile("win7.iso");
    ASSERT_TRUE(clock.Step(SpaceGuardTiming{}.period));
    EXPECT_EQ(Remaining().size(), 6u) << "also once the settings name it in the workspace";
}

}  // namespace
}  // namespace qnb
