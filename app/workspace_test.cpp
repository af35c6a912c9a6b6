#include "app/workspace.h"

#include "app/disk_inventory.h"
#include "app/test_support/machine_fixture.h"
#include "platform/error_codes.h"
#include "platform/fake/fake_folder_security.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <set>
#include <unistd.h>

namespace qnb {
namespace {

using test::MachineFixture;
using test::MachineJson;

// File operations that refuse what a test names, on top of the real ones.
class RefusingFiles : public HostFileSystem {
public:
    explicit RefusingFiles(const HostFileSystem& real) : HostFileSystem(real) {}
    bool access(const std::string& path, int mode) override {
        if ((mode & kWrite) && readOnly.count(path)) return false;
        return HostFileSystem::access(path, mode);
    }
    Status makeDirectory(const std::string& path) override {
        if (refuseFolders) return Failure{"create folder", path, errors::kAccessDenied};
        return HostFileSystem::makeDirectory(path);
    }
    bool writeFile(const std::string& path, std::string_view data) override {
        return !refuseWrites && HostFileSystem::writeFile(path, data);
    }

    std::set<std::string> readOnly;
    bool refuseFolders = false;
    bool refuseWrites = false;
};

struct Chosen {
    WorkspaceChoice choice;
    std::vector<DiskInfo> disks;
};

Chosen Choose(MachineFixture& machine, FileSystem& files, FolderSecurity* security = nullptr) {
    Chosen c;
    c.disks = LoadInventory(machine.storage());
    fake::FakeFolderSecurity own(files);
    c.choice = ChooseWorkspace(files, security ? *security : own, c.disks, 'C');
    return c;
}

struct Case {
    const char* machine;
    int result;
    const char* path;
    bool sameDisk;
};

TEST(ChooseWorkspace, NewFolderOnTheRightPartition) {
    const Case cases[] = {
        {"one-disk-c-d", kWorkspaceCreated, "D:\\Quenbrook\\Data\\", true},
        {"two-data-drives", kWorkspaceCreated, "E:\\Quenbrook\\Data\\", true},   // the most free space
        {"second-disk-first", kWorkspaceCreated, "E:\\Quenbrook\\Data\\", false}, // another disk wins over a larger D:
        {"second-disk-after", kWorkspaceCreated, "E:\\Quenbrook\\Data\\", false}, // also when the system disk is walked first
        {"usb-disk", kWorkspaceCreated, "D:\\Quenbrook\\Data\\", true},          // never on a USB disk
        {"fat32-second-disk", kWorkspaceCreated, "D:\\Quenbrook\\Data\\", true}, // another disk's partition must be NTFS
        {"gpt-uefi", kWorkspaceCreated, "D:\\Quenbrook\\Data\\", true},
        {"exactly-10gib", kWorkspaceNone, "", true},                              // more than 10 GiB is needed
        {"vhd-only-room", kWorkspaceNone, "", true},                              // never on a mounted VHD
        {"sample", kWorkspaceNone, "", false},                                   // the data partition has no letter
    };
    for (const Case& c : cases) {
        MachineFixture machine(MachineJson(c.machine));
        Chosen chosen = Choose(machine, machine.files());
        EXPECT_EQ(chosen.choice.result, c.result) << c.machine;
        EXPECT_EQ(chosen.choice.path, c.path) << c.machine;
        EXPECT_EQ(chosen.choice.sameDisk, c.sameDisk) << c.machine;
        if (c.result == kWorkspaceCreated) {
            EXPECT_TRUE(machine.Exists(c.path)) << c.machine;
            EXPECT_TRUE(machine.Exists(std::string(c.path, 3) + kWorkspaceNoteName)) << c.machine;
        }
    }
}

TEST(ChooseWorkspace, NoteFileBytes) {
    MachineFixture machine(MachineJson("one-disk-c-d"));
    Choose(machine, machine.files());
    const char* lines[] = {
        "用户参考：",
        "",
        "Q1：这个文件夹是什么？",
        "本目录由Tessaly重装助手生成,用于存储缓存文件和备份文件。",
        "",
        "Q2：为什么在这里，可以修改么？",
        "默认情况下，Tessaly重装助手会根据磁盘剩余空间，自动选择最大的本地磁盘生成本目录。建议不要移动或修改本目录！",
        "",
        "Q3：本文件夹可以删除吗？",
        "如非特殊情况请勿删除本文件夹。删除后Tessaly重装助手备份的文件和系统镜像将丢失！",
    };
    std::string expected;
    for (const char* line : lines) expected += std::string(line) + "\r\n";
    std::string file = machine.ReadFile("D:\\Quenbrook\\请勿删除！关于本文件夹的说明.txt");
    EXPECT_EQ(file, text::Utf8ToAnsi(expected));
    EXPECT_EQ(file.size(), 348u);
    EXPECT_EQ(file.substr(0, 4), "\xD3\xC3\xBB\xA7");  // 用户 in GBK
}

TEST(ChooseWorkspace, AnEarlierFolderIsFoundFromZDown) {
    MachineFixture machine(MachineJson("two-data-drives"));
    machine.MakeFolders("D:\\Quenbrook\\Data");
    machine.MakeFolders("E:\\Quenbrook\\Data");
    Chosen chosen = Choose(machine, machine.files());
    EXPECT_EQ(chosen.choice.result, kWorkspaceFound);
    EXPECT_EQ(chosen.choice.path, "E:\\Quenbrook\\Data\\");
    EXPECT_FALSE(machine.Exists("E:\\Quenbrook\\请勿删除！关于本文件夹的说明.txt")) << "nothing is created";
}

TEST(ChooseWorkspace, AnEarlierFolderOnTheSystemDriveIsTaken) {
    MachineFixture machine(MachineJson("one-disk-c-d"));
    machine.MakeFolders("C:\\Quenbrook\\Data");
    Chosen chosen = Choose(machine, machine.files());
    EXPECT_EQ(chosen.choice.result, kWorkspaceFound);
    EXPECT_EQ(chosen.choice.path, "C:\\Quenbrook\\Data\\");
}

TEST(ChooseWorkspace, AReadOnlyEarlierFolderIsPassedOver) {
    MachineFixture machine(MachineJson("two-data-drives"));
    machine.MakeFolders("E:\\Quenbrook\\Data");
    RefusingFiles files(machine.files());
    files.readOnly.insert("E:\\Quenbrook\\Data\\");
    Chosen chosen = Choose(machine, files);
    EXPECT_EQ(chosen.choice.result, kWorkspaceCreated) << "a new folder, chosen by free space";
    EXPECT_EQ(chosen.choice.path, "E:\\Quenbrook\\Data\\");

    machine.MakeFolders("D:\\Quenbrook\\Data");
    chosen = Choose(machine, files);
    EXPECT_EQ(chosen.choice.result, kWorkspaceFound);
    EXPECT_EQ(chosen.choice.path, "D:\\Quenbrook\\Data\\");
}

TEST(ChooseWorkspace, AFolderThatCannotBeMadeLeavesNoWorkspace) {
    MachineFixture machine(MachineJson("one-disk-c-d"));
    RefusingFiles files(machine.files());
    files.refuseFolders = true;
    Chosen chosen = Choose(machine, files);
    EXPECT_EQ(chosen.choice.result, kWorkspaceNone);
    EXPECT_EQ(chosen.choice.path, "");
}

TEST(ChooseWorkspace, ANoteThatCannotBeWrittenIsSkipped) {
    MachineFixture machine(MachineJson("one-disk-c-d"));
    RefusingFiles files(machine.files());
    files.refuseWrites = true;
    EXPECT_EQ(Choose(machine, files).choice.result, kWorkspaceCreated);
}

TEST(ChooseWorkspace, ANewFolderAndItsParentAreMadeProtected) {
    MachineFixture machine(MachineJson("one-disk-c-d"));
    Chosen chosen = Choose(machine, machine.files(), &machine.folders());
    EXPECT_EQ(chosen.choice.result, kWorkspaceCreated);
    EXPECT_TRUE(chosen.choice.Trusted());
    EXPECT_EQ(machine.folders().Created(), (std::vector<std::string>{"D:\\Quenbrook", "D:\\Quenbrook\\Data"}));
    EXPECT_TRUE(machine.folders().Protected().empty());
}

TEST(ChooseWorkspace, AQuenbrookSomebodyElseMadeIsProtectedBeforeItHoldsTheWorkspace) {
    MachineFixture machine(MachineJson("one-disk-c-d"));
    machine.MakeFolders("D:\\Quenbrook");
    machine.folders().Set("D:\\Quenbrook", FolderTrust::kOthersMayChange);
    Chosen chosen = Choose(machine, machine.files(), &machine.folders());
    EXPECT_EQ(chosen.choice.result, kWorkspaceCreated);
    EXPECT_EQ(machine.folders().Protected(), (std::vector<std::string>{"D:\\Quenbrook"}));
}

// An earlier folder is worth what it and "Quenbrook" above it are worth;
// a junction or link is never taken.
TEST(ChooseWorkspace, WhatAnEarlierFolderIsWorth) {
    struct Case {
        const char* folder;
        FolderTrust trust;
        FolderTrust expected;
    };
    const Case cases[] = {
        {"E:\\Quenbrook\\Data", FolderTrust::kTrusted, FolderTrust::kTrusted},
        {"E:\\Quenbrook\\Data", FolderTrust::kOthersMayChange, FolderTrust::kOthersMayChange},
        {"E:\\Quenbrook\\Data", FolderTrust::kNotFixed, FolderTrust::kNotFixed},
        {"E:\\Quenbrook\\Data", FolderTrust::kNoAccessLists, FolderTrust::kNoAccessLists},
        {"E:\\Quenbrook", FolderTrust::kOthersMayChange, FolderTrust::kOthersMayChange},
    };
    for (const Case& c : cases) {
        MachineFixture machine(MachineJson("two-data-drives"));
        machine.MakeFolders("E:\\Quenbrook\\Data");
        machine.folders().Set(c.folder, c.trust);
        Chosen chosen = Choose(machine, machine.files(), &machine.folders());
        EXPECT_EQ(chosen.choice.result, kWorkspaceFound) << c.folder;
        EXPECT_EQ(chosen.choice.path, "E:\\Quenbrook\\Data\\") << c.folder;
        EXPECT_EQ(chosen.choice.trust, c.expected) << c.folder << " " << Describe(c.trust);
    }
}

TEST(ChooseWorkspace, AnEarlierFolderThatIsALinkIsPassedOver) {
    for (const char* link : {"E:\\Quenbrook\\Data", "E:\\Quenbrook"}) {
        MachineFixture machine(MachineJson("two-data-drives"));
        machine.MakeFolders("D:\\Quenbrook\\Data");
        machine.MakeFolders("E:\\Elsewhere\\Data");
        std::string target = machine.files().HostPath(std::string(link).size() > 13 ? "E:\\Elsewhere\\Data" : "E:\\Elsewhere");
        machine.MakeFolders(std::string(paths::Folder(link)));
        ASSERT_EQ(::symlink(target.c_str(), machine.files().HostPath(link).c_str()), 0) << link;
        Chosen chosen = Choose(machine, machine.files(), &machine.folders());
        EXPECT_EQ(chosen.choice.result, kWorkspaceFound) << link;
        EXPECT_EQ(chosen.choice.path, "D:\\Quenbrook\\Data\\") << link << ": the next earlier folder";
    }
    // The only earlier folder a link, on the drive a new one would go to: no workspace.
    MachineFixture machine(MachineJson("one-disk-c-d"));
    machine.MakeFolders("D:\\Elsewhere");
    machine.MakeFolders("D:\\Quenbrook");
    ASSERT_EQ(::symlink(machine.files().HostPath("D:\\Elsewhere").c_str(),
                        machine.files().HostPath("D:\\Quenbrook\\Data").c_str()), 0);
    EXPECT_EQ(Choose(machine, machine.files(), &machine.folders()).choice.result, kWorkspaceNone);
}

TEST(ChooseWorkspace, SameDiskOfAnEarlierFolder) {
    MachineFixture machine(MachineJson("second-disk-first"));
    std::vector<DiskInfo> disks = LoadInventory(machine.storage());
    EXPECT_TRUE(WorkspaceOnSystemDisk(disks, 'D', 'C'));
    EXPECT_FALSE(WorkspaceOnSystemDisk(disks, 'E', 'C'));
}

}  // namespace
}  // namespace qnb
