#include "app/app_context.h"

#include "app/workspace.h"

#include "app/test_support/fresh_setting.h"
#include "app/test_support/machine_fixture.h"
#include "app/test_support/pe_builder.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <atomic>
#include <cstdio>
#include <unistd.h>
#include <thread>

namespace qnb {
namespace {

using test::MachineFixture;
using test::MachineJson;

const char kSetting[] = "D:\\Quenbrook\\Data\\SETTING.JSON";

Json::Value ReadSetting(MachineFixture& machine, const std::string& path = kSetting) {
    Json::Value root;
    EXPECT_TRUE(Json::Reader().parse(machine.ReadFile(path), root)) << path;
    return root;
}

TEST(AppContextInitialise, FreshMachine) {
    MachineFixture machine(MachineJson("one-disk-c-d"));
    AppContext context;
    EXPECT_TRUE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()));
    EXPECT_TRUE(context.IsReady());
    EXPECT_FALSE(context.IsPeMode());
    EXPECT_EQ(context.SystemLetter(), 'C');
    EXPECT_EQ(context.SystemDisk(), 0);
    EXPECT_EQ(context.SystemPartition(), 1);
    EXPECT_FALSE(context.SystemDiskIsGpt());
    EXPECT_TRUE(context.Is64());
    EXPECT_EQ(context.OsName(), "Windows 10");
    EXPECT_EQ(context.OsTypeCode(), 64);
    EXPECT_EQ(context.EditionName(), "专业版");
    EXPECT_EQ(context.WorkspacePath(), "D:\\Quenbrook\\Data\\");
    EXPECT_EQ(context.WorkspaceResult(), 0);
    EXPECT_TRUE(context.SameDisk());
    EXPECT_EQ(machine.ReadFile(kSetting), test::FreshSetting(0, 1, true));
}

TEST(AppContextInitialise, GptSystemDisk) {
    MachineFixture machine(MachineJson("gpt-uefi"));
    AppContext context;
    ASSERT_TRUE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()));
    EXPECT_TRUE(context.SystemDiskIsGpt());
    EXPECT_EQ(context.SystemPartition(), 3);
    EXPECT_EQ(context.WorkspacePath(), "D:\\Quenbrook\\Data\\");
}

TEST(AppContextInitialise, NoUsablePartitionLeavesTheContextNotReady) {
    MachineFixture machine(MachineJson("exactly-10gib"));
    AppContext context;
    EXPECT_FALSE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()));
    EXPECT_EQ(context.WorkspacePath(), "");
    EXPECT_EQ(context.SystemDisk(), 0) << "the facts are still known";
    EXPECT_FALSE(context.SaveHandoff());
    EXPECT_FALSE(context.SelectCatalogueEntry(0)) << "refused while not ready";
}

TEST(AppContextInitialise, NoDiskLoads) {
    MachineFixture machine(R"({"windows": {"dir": "C:\\Windows", "major": 6, "minor": 1}, "disks": [
        {"number": 0, "bus_type": 11, "layout": false}]})");
    AppContext context;
    EXPECT_FALSE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()));
    EXPECT_EQ(context.Major(), 0) << "nothing after the inventory runs";
    EXPECT_EQ(context.OsName(), "未知操作系统");
}

TEST(AppContextInitialise, AnEarlierRunsFileIsReadThenRewritten) {
    MachineFixture machine(MachineJson("second-disk-first"));
    machine.WriteFile("E:\\Quenbrook\\Data\\SETTING.JSON",
                      R"({"bRepart": true, "nRepartDisk": 1, "strRepartScript": "", "bRepartGPT": false,
                          "bSameDisk": true, "LocalPeUrl": "http://pe.example/a.wim", "bShowedNote": true,
                          "strImagePath": "old.gho", "Option": 0})");
    AppContext context;
    ASSERT_TRUE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()));
    EXPECT_EQ(context.WorkspaceResult(), 1);
    EXPECT_TRUE(context.SameDisk()) << "from the file, not worked out again";
    EXPECT_EQ(context.PackageUrl(), "http://pe.example/a.wim");
    Json::Value file = ReadSetting(machine, "E:\\Quenbrook\\Data\\SETTING.JSON");
    EXPECT_TRUE(file["bRepart"].asBool());
    EXPECT_EQ(file["nRepartDisk"].asInt(), 1);
    EXPECT_FALSE(file.isMember("nSelDisk"));
    EXPECT_EQ(file["strImagePath"].asString(), "");
    EXPECT_EQ(file["Option"].asInt(), -1);
    EXPECT_TRUE(file["bShowedNote"].asBool());
}

// A folder of an earlier run that others could change (on a removable drive,
// on a volume without access lists, or with an access list that lets users
// write) is adopted without what chooses disks, scripts and downloads, and
// is given the protected access list; one that is a link is not adopted.
TEST(AppContextInitialise, AnEarlierFolderOthersCouldChangeCarriesNothingThatChoosesADisk) {
    struct Case {
        const char* what;
        const char* folder;
        FolderTrust trust;
    };
    const Case cases[] = {
        {"trusted", "E:\\Quenbrook\\Data", FolderTrust::kTrusted},
        {"on a removable drive", "E:\\Quenbrook\\Data", FolderTrust::kNotFixed},
        {"users may write it", "E:\\Quenbrook\\Data", FolderTrust::kOthersMayChange},
        {"users may write Quenbrook", "E:\\Quenbrook", FolderTrust::kOthersMayChange},
        {"FAT32", "E:\\Quenbrook\\Data", FolderTrust::kNoAccessLists},
    };
    for (const Case& c : cases) {
        MachineFixture machine(MachineJson("second-disk-first"));
        machine.WriteFile("E:\\Quenbrook\\Data\\SETTING.JSON",
                          R"({"bRepart": true, "nRepartDisk": 1, "strRepartScript": "clean", "bRepartGPT": true,
                              "bSameDisk": true, "LocalPeUrl": "http://pe.example/a.wim", "bShowedNote": true})");
        machine.folders().Set(c.folder, c.trust);
        AppContext context;
        ASSERT_TRUE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()))
            << c.what;
        EXPECT_EQ(context.WorkspaceResult(), kWorkspaceFound) << c.what;
        const bool trusted = c.trust == FolderTrust::kTrusted;
        EXPECT_EQ(context.WorkspaceTrusted(), trusted) << c.what;
        HandoffValues v = context.Handoff();
        EXPECT_EQ(v.repart, trusted) << c.what;
        EXPECT_EQ(v.localPeUrl, trusted ? "http://pe.example/a.wim" : "") << c.what;
        if (!trusted) {
            EXPECT_EQ(v.selDisk, 0) << c.what << ": the inventory's target";
            EXPECT_EQ(v.selPar, 1) << c.what;
        }
        EXPECT_TRUE(v.showedNote) << c.what;
        EXPECT_TRUE(v.sameDisk) << c.what;
        const std::vector<std::string> protectedNow =
            trusted ? std::vector<std::string>() : std::vector<std::string>({"E:\\Quenbrook", "E:\\Quenbrook\\Data"});
        EXPECT_EQ(machine.folders().Protected(), protectedNow) << c.what;
        EXPECT_EQ(ReadSetting(machine, "E:\\Quenbrook\\Data\\SETTING.JSON").isMember("strRepartScript"), trusted)
            << c.what << ": the next save writes what is held";
    }

    MachineFixture machine(MachineJson("second-disk-first"));
    machine.WriteFile("D:\\Elsewhere\\SETTING.JSON", R"({"bRepart": true, "nRepartDisk": 1, "strRepartScript": "s",
                                                          "bRepartGPT": false})");
    machine.MakeFolders("E:\\Quenbrook");
    ASSERT_EQ(::symlink(machine.files().HostPath("D:\\Elsewhere").c_str(),
                        machine.files().HostPath("E:\\Quenbrook\\Data").c_str()), 0);
    AppContext context;
    context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders());
    EXPECT_NE(context.WorkspaceResult(), kWorkspaceFound) << "a link is never adopted";
    EXPECT_FALSE(context.Handoff().repart);
}

TEST(AppContextInitialise, ACorruptEarlierFileIsReplacedAndSameDiskWorkedOut) {
    MachineFixture machine(MachineJson("second-disk-first"));
    machine.WriteFile("E:\\Quenbrook\\Data\\SETTING.JSON", "{\"bRepart\": tr");
    AppContext context;
    ASSERT_TRUE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()));
    EXPECT_FALSE(context.SameDisk()) << "E: is on the second disk";
    Json::Value file = ReadSetting(machine, "E:\\Quenbrook\\Data\\SETTING.JSON");
    EXPECT_FALSE(file["bSameDisk"].asBool());
    EXPECT_EQ(file["nSelDisk"].asInt(), 0);
}

// Values of other JSON types than the contract's are read with the JSON
// library's conversions; numbers that name no disk or partition of this
// machine give way to the inventory's (disk 0 holds partitions 1 and 5,
// disk 1 partition 1; the system is disk 0, partition 1).
TEST(AppContextInitialise, AnEarlierFileIsFittedToThisMachine) {
    struct Case {
        const char* what;
        const char* file;
        bool repart;
        int repartDisk;  // when repart
        int selDisk, selPar;  // when not
        const char* peUrl;
    };
    const Case cases[] = {
        {"the library converts 1 to true", R"({"bRepart": 1, "nRepartDisk": 1, "strRepartScript": "s",
            "bRepartGPT": 0, "LocalPeUrl": "http://pe.example/a.wim"})", true, 1, 0, 0, "http://pe.example/a.wim"},
        {"and 1.0 to 1", R"({"bRepart": true, "nRepartDisk": 1.0, "strRepartScript": "", "bRepartGPT": false})",
         true, 1, 0, 0, ""},
        {"a value it cannot convert reads as missing", R"({"nSelDisk": 1, "nSelPar": 1, "LocalPeUrl": [1]})",
         false, 0, 1, 1, ""},
        {"a repartition request without its disk is dropped", R"({"bRepart": true, "strRepartScript": "s",
            "bRepartGPT": false, "nSelDisk": 1, "nSelPar": 1})", false, 0, 0, 1, ""},
        {"so is one whose disk number is text", R"({"bRepart": true, "nRepartDisk": "1", "strRepartScript": "s",
            "bRepartGPT": false})", false, 0, 0, 1, ""},
        {"and one for a disk this machine lacks", R"({"bRepart": true, "nRepartDisk": 7, "strRepartScript": "s",
            "bRepartGPT": false})", false, 0, 0, 1, ""},
        {"a partition of the other disk is kept", R"({"nSelDisk": 1, "nSelPar": 1})", false, 0, 1, 1, ""},
        {"a disk this machine lacks", R"({"nSelDisk": 4, "nSelPar": 1})", false, 0, 0, 1, ""},
        {"a partition its disk lacks", R"({"nSelDisk": 1, "nSelPar": 5})", false, 0, 0, 1, ""},
        {"partition 0 is no volume", R"({"nSelDisk": 0, "nSelPar": 0})", false, 0, 0, 1, ""},
        {"missing numbers", R"({"bSameDisk": false})", false, 0, 0, 1, ""},
    };
    for (const Case& c : cases) {
        MachineFixture machine(MachineJson("second-disk-first"));
        machine.WriteFile("E:\\Quenbrook\\Data\\SETTING.JSON", c.file);
        AppContext context;
        ASSERT_TRUE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders())) << c.what;
        HandoffValues v = context.Handoff();
        EXPECT_EQ(v.repart, c.repart) << c.what;
        if (c.repart) {
            EXPECT_EQ(v.repartDisk, c.repartDisk) << c.what;
        } else {
            EXPECT_EQ(v.selDisk, c.selDisk) << c.what;
            EXPECT_EQ(v.selPar, c.selPar) << c.what;
        }
        EXPECT_EQ(v.localPeUrl, c.peUrl) << c.what;
        EXPECT_TRUE(context.HandoffOnDisk()) << c.what << ": the first save wrote what is held";
    }
}

TEST(AppContextInitialise, PeModeWithAnInstalledWindows7) {
    MachineFixture machine(MachineJson("pe-win7-x64"));
    test::PeImageOptions v;
    v.major = 6;
    v.minor = 1;
    machine.WriteFile("D:\\Windows\\SysWOW64\\ntdll.dll", test::AsString(test::BuildPeImage(v)));
    v.pe32Plus = true;
    machine.WriteFile("D:\\Windows\\System32\\ntdll.dll", test::AsString(test::BuildPeImage(v)));
    machine.AddDrive('X');
    machine.WriteFile("X:\\Windows\\System32\\ntdll.dll", "the environment's own");
    AppContext context;
    ASSERT_TRUE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()));
    EXPECT_TRUE(context.IsPeMode());
    EXPECT_EQ(context.SystemLetter(), 'D');
    EXPECT_EQ(context.SystemPartition(), 2);
    EXPECT_EQ(context.Major(), 6);
    EXPECT_EQ(context.Minor(), 1);
    EXPECT_TRUE(context.Is64());
    EXPECT_EQ(context.OsTypeCode(), 4);
    EXPECT_EQ(context.ProductType(), 0u);
    EXPECT_EQ(context.WorkspacePath(), "E:\\Quenbrook\\Data\\");
}

TEST(AppContextInitialise, PeModeWithoutAnyWindowsFindsTheSystemByItsPartitions) {
    MachineFixture machine(MachineJson("pe-win7-x64"));
    machine.MakeFolders("D:\\Windows\\system32\\config");  // but no ntdll.dll
    AppContext context;
    context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders());
    EXPECT_EQ(context.SystemDisk(), 0);
    EXPECT_EQ(context.SystemPartition(), 2);
    EXPECT_EQ(context.SystemLetter(), 'D');
}

TEST(AppContextInitialiseAgain, KeepsTheChoicesMadeMeanwhileAndFollowsTheMachine) {
    MachineFixture machine(MachineJson("one-disk-c-d"));
    AppContext context;
    ASSERT_TRUE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()));
    std::vector<CatalogueEntry> entries(2);
    for (int i = 0; i < 2; ++i) entries[i].index = i;
    entries[1].url = "http://img.example/1.gho";
    context.SetCatalogue(entries, {{"Windows 10", 1}});
    ASSERT_TRUE(context.SelectCatalogueEntry(1));
    context.SetLocalImage("E:\\images\\win7.iso");
    context.SetWimIndex(2);
    context.SetPackageUrl("http://pe.example/TessalyPE.wim");
    const std::string before = machine.ReadFile(kSetting);

    ASSERT_TRUE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()));
    EXPECT_EQ(machine.ReadFile(kSetting), before) << "the image choice is not reset by a second initialisation";
    EXPECT_EQ(context.SelectedImageUrl(), "http://img.example/1.gho");
    EXPECT_EQ(context.CatalogueCount(), 2);
    EXPECT_EQ(context.CatalogueGroups().size(), 1u);
    EXPECT_EQ(context.PackageUrl(), "http://pe.example/TessalyPE.wim");
}

TEST(AppContextInitialiseAgain, ReadersSeeOneInitialisationsFactsAndTheContextStaysReady) {
    // Two machines whose facts differ in every field a reader combines.
    MachineFixture mbr(MachineJson("one-disk-c-d"));
    MachineFixture gpt(MachineJson("gpt-uefi"));
    AppContext context;
    ASSERT_TRUE(context.Initialise(mbr.storage(), mbr.system(), mbr.files(), mbr.folders()));
    auto consistent = [](const MachineFacts& f) {
        for (const DiskInfo& disk : f.disks) {
            if (disk.driveNumber != f.systemDisk) continue;
            bool gptDisk = disk.partitionStyle == disk::kStyleGpt;
            return gptDisk == f.systemDiskGpt && disk.HasLetter(f.systemLetter) &&
                   f.systemPartition == (gptDisk ? 3 : 1);
        }
        return false;
    };
    std::atomic<bool> done{false};
    std::atomic<int> mixed{0};
    std::atomic<int> notReady{0};
    std::atomic<int> seen{0};
    std::thread reader([&] {
        while (!done) {
            if (!consistent(*context.Facts())) ++mixed;
            if (!context.IsReady()) ++notReady;
            ++seen;
        }
    });
    for (int i = 0; i < 20; ++i) {
        MachineFixture& machine = i % 2 ? mbr : gpt;
        EXPECT_TRUE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()));
    }
    done = true;
    reader.join();
    EXPECT_GT(seen.load(), 0);
    EXPECT_EQ(mixed.load(), 0) << "a reader saw facts of two initialisations at once";
    EXPECT_EQ(notReady.load(), 0) << "the ready flag dropped while the context was initialised again";
    EXPECT_TRUE(context.SystemDiskIsGpt() == false && context.SystemPartition() == 1) << "the last one stands";
}

class AppContextSetters : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(context.Initialise(machine.storage(), machine.system(), machine.files(), machine.folders()));
        std::vector<CatalogueEntry> entries(3);
        for (int i = 0; i < 3; ++i) {
            entries[i].index = i;
            entries[i].url = "http://img.example/" + std::to_string(i) + ".gho";
        }
        context.SetCatalogue(entries, {});
    }
    MachineFixture machine{MachineJson("one-disk-c-d")};
    AppContext context;
};

TEST_F(AppContextSetters, EachSetterRewritesTheFile) {
    context.SetLocalImage("E:\\images\\win7.iso");
    EXPECT_TRUE(ReadSetting(machine)["bLocalImage"].asBool());
    EXPECT_EQ(ReadSetting(machine)["strImagePath"].asString(), "E:\\images\\win7.iso");

    EXPECT_TRUE(context.SelectCatalogueEntry(1));
    EXPECT_FALSE(ReadSetting(machine)["bLocalImage"].asBool());
    EXPECT_EQ(ReadSetting(machine)["strImagePath"].asString(), "E:\\images\\win7.iso") << "kept until the image is set";
    EXPECT_EQ(context.SelectedImageUrl(), "http://img.example/1.gho");

    context.SetImageFile("D:\\Quenbrook\\Data\\win10.gho");
    EXPECT_EQ(ReadSetting(machine)["strImagePath"].asString(), "win10.gho");
    context.SetImageFile("plain.wim");
    EXPECT_EQ(context.ImagePath(false), "plain.wim");
    EXPECT_EQ(context.ImagePath(true), "D:\\Quenbrook\\Data\\plain.wim");

    context.SetWimIndex(3);
    EXPECT_EQ(ReadSetting(machine)["nWIMPart"].asInt(), 3);
    context.SetOption(1);
    EXPECT_EQ(ReadSetting(machine)["Option"].asInt(), 1);
    context.SetQqFolder("88888888");
    EXPECT_EQ(ReadSetting(machine)["QQLogFolder"].asString(), "88888888");
    context.SetNoteShown();
    EXPECT_TRUE(ReadSetting(machine)["bShowedNote"].asBool());
    context.SetPackageUrl("http://pe.example/TessalyPE.wim");
    EXPECT_EQ(ReadSetting(machine)["LocalPeUrl"].asString(), "http://pe.example/TessalyPE.wim");
    EXPECT_EQ(ReadSetting(machine)["SoftCount"].asInt(), 0);
}

// SETTING.JSON can no longer be replaced (here: a folder has taken its
// name). The setters say so, and the file on disk is seen to differ from
// what the program holds, which is what a flow asks before its restart.
TEST_F(AppContextSetters, AFailedSaveIsReportedAndSeenOnDisk) {
    ASSERT_TRUE(context.SetOption(0));
    EXPECT_TRUE(context.HandoffOnDisk());
    ASSERT_EQ(::rename(machine.files().HostPath(kSetting).c_str(), (machine.files().HostPath(kSetting) + ".old").c_str()), 0);
    machine.MakeFolders(std::string(kSetting) + "\\blocked");
    EXPECT_FALSE(context.SetOption(1));
    EXPECT_FALSE(context.SetImageFile("win10.gho"));
    EXPECT_FALSE(context.SetPackageUrl("http://pe.example/a.wim"));
    EXPECT_FALSE(context.HandoffOnDisk());
    EXPECT_EQ(context.Handoff().option, 1) << "the value is held all the same";
}

TEST_F(AppContextSetters, AFileChangedBehindTheProgramsBackIsSeen) {
    ASSERT_TRUE(context.SetOption(0));
    machine.WriteFile(kSetting, machine.ReadFile(kSetting) + " ");
    EXPECT_FALSE(context.HandoffOnDisk());
    ASSERT_TRUE(context.SetOption(0));
    EXPECT_TRUE(context.HandoffOnDisk());
}

TEST_F(AppContextSetters, EntriesByGroupAndTheSelectedEntry) {
    std::vector<CatalogueEntry> entries(3);
    for (int i = 0; i < 3; ++i) {
        entries[i].index = i;
        entries[i].groupid = i == 1 ? 2 : 1;
    }
    context.SetCatalogue(entries, {});
    EXPECT_EQ(context.SelectedEntry().index, 0);
    EXPECT_FALSE(context.SelectedEntry().selected) << "an empty entry when none is chosen";
    ASSERT_TRUE(context.SelectCatalogueEntry(2));
    EXPECT_EQ(context.SelectedEntry().index, 2);
    auto indexes = [](const std::vector<CatalogueEntry>& list) {
        std::vector<int> out;
        for (const CatalogueEntry& e : list) out.push_back(e.index);
        return out;
    };
    EXPECT_EQ(indexes(context.CatalogueEntriesOfGroup(1)), (std::vector<int>{0, 2}));
    EXPECT_EQ(indexes(context.CatalogueEntriesOfGroup(2)), (std::vector<int>{1}));
    EXPECT_EQ(indexes(context.CatalogueEntriesOfGroup(-1)), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(context.CatalogueEntriesOfGroup(7).empty());
}

TEST_F(AppContextSetters, PackageUrlPrefersThisRunsAnswer) {
    context.SetPackageUrl("");
    EXPECT_EQ(context.PackageUrl(), "");
    context.SetPackageUrl("http://pe.example/new.wim");
    EXPECT_EQ(context.PackageUrl(), "http://pe.example/new.wim");
}

TEST_F(AppContextSetters, SavesFromManyThreadsNeverTearTheFile) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) context.SetWimIndex(t * 1000 + i);
        });
    }
    for (std::thread& t : threads) t.join();
    int last = ReadSetting(machine)["nWIMPart"].asInt();
    EXPECT_EQ(last % 1000, 49);
    EXPECT_EQ(context.Handoff().wimPart, last);
}

}  // namespace
}  // namespace qnb
