#include "app/space_guard.h"

#include "app/test_support/machine_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

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

TEST_F(SpaceGuardTest, TheThreadWaitsForTheContextAndStopsAtTheExitFlag) {
    SetUpMachine(kGiB);
    AppContext notReady;
    std::atomic<bool> exitFlag{false};
    SpaceGuardTiming fast{std::chrono::milliseconds(1), std::chrono::milliseconds(1)};
    std::thread waiting([&] { RunSpaceGuard(notReady, machine_->storage(), machine_->files(), exitFlag, nullptr, fast); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(Remaining().size(), 9u) << "a context that is not ready is never cleaned";
    exitFlag = true;
    waiting.join();
}

}  // namespace
}  // namespace qnb
