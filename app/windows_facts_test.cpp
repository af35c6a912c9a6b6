#include "app/windows_facts.h"

#include "app/test_support/machine_fixture.h"
#include "app/test_support/pe_builder.h"

#include <gtest/gtest.h>

namespace qnb {
namespace {

using test::MachineFixture;
using test::MachineJson;

TEST(WindowsNames, VersionTable) {
    struct Case { int major, minor; const char* name; int code32, code64; };
    const Case cases[] = {
        {5, 1, "Windows XP", 1, 1},
        {5, 2, "未知操作系统", 0, 0},  // XP 64-bit and Server 2003
        {6, 0, "Windows Vista", 0, 0},
        {6, 1, "Windows 7", 2, 4},
        {6, 2, "Windows 8", 8, 16},
        {6, 3, "Windows 8.1", 8, 16},
        {6, 4, "Windows 10 预览版", 32, 64},
        {10, 0, "Windows 10", 32, 64},
        {0, 0, "未知操作系统", 0, 0},
        {11, 0, "未知操作系统", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OsName(c.major, c.minor), c.name) << c.major << "." << c.minor;
        EXPECT_EQ(OsTypeCode(c.major, c.minor, false), c.code32) << c.major << "." << c.minor;
        EXPECT_EQ(OsTypeCode(c.major, c.minor, true), c.code64) << c.major << "." << c.minor;
    }
    EXPECT_TRUE(IsXp(5, 1));
    EXPECT_FALSE(IsXp(5, 2));
}

TEST(WindowsNames, EditionTable) {
    struct Case { uint32_t code; const char* name; };
    const Case cases[] = {
        {1, "旗舰版"}, {71, "旗舰版"}, {2, "家庭版"}, {101, "家庭版"}, {4, "企业版"}, {130, "企业版"},
        {11, "初级版"}, {66, "初级版"}, {48, "专业版"}, {103, "专业版"}, {121, "教育版"}, {122, "教育版"},
        {0, ""}, {6, ""}, {131, ""}, {0xABCDABCD, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(EditionName(c.code), c.name) << c.code;
}

TEST(PeMode, FollowsTheBusTypeOfTheWindowsFolder) {
    struct Case { const char* machine; bool pe; };
    const Case cases[] = {
        {R"({"windows": {"dir": "C:\\Windows"}, "disks": [{"number": 0, "bus_type": 11, "partitions": [
              {"number": 1, "mbr_type": 7, "volume": {"letter": "C"}}]}]})", false},
        {R"({"windows": {"dir": "X:\\Windows", "pe": true}, "disks": []})", true},
        {R"({"windows": {"dir": "C:\\Windows"}, "disks": [{"number": 0, "bus_type": 0, "partitions": [
              {"number": 1, "mbr_type": 7, "volume": {"letter": "C"}}]}]})", true},   // unknown bus
        {R"({"windows": {"dir": "M:\\Windows"}, "disks": []})", true},              // the query fails
    };
    for (const Case& c : cases) {
        MachineFixture machine(c.machine);
        EXPECT_EQ(IsPeMode(machine.system(), machine.storage()), c.pe) << c.machine;
    }
}

TEST(SystemLetter, NormalModeTakesTheWindowsFolder) {
    MachineFixture machine(R"({"windows": {"dir": "E:\\WINDOWS"}, "disks": []})");
    EXPECT_EQ(FindSystemLetter(false, machine.system(), machine.files()), 'E');
}

TEST(SystemLetter, PeModeSearchesAToWOnly) {
    MachineFixture machine(MachineJson("pe-win7-x64"));
    for (char c : std::string("XYZ")) {
        machine.AddDrive(c);
        machine.WriteFile(std::string(1, c) + ":\\Windows\\System32\\ntdll.dll", "x");
    }
    EXPECT_FALSE(FindSystemLetter(true, machine.system(), machine.files())) << "X, Y and Z are never taken";
    machine.WriteFile("E:\\Windows\\System32\\ntdll.dll", "x");
    machine.WriteFile("D:\\Windows\\System32\\ntdll.dll", "x");
    EXPECT_EQ(FindSystemLetter(true, machine.system(), machine.files()), 'D');
}

TEST(SixtyFourBit, PeModeLooksForSysWow64) {
    MachineFixture machine(MachineJson("pe-win7-x64"));
    EXPECT_FALSE(Is64Bit(true, 'D', machine.system(), machine.files())) << "no system at all";
    machine.WriteFile("D:\\Windows\\SysWOW64\\ntdll.dll", "x");
    EXPECT_FALSE(Is64Bit(true, 'D', machine.system(), machine.files())) << "SysWOW64 alone is no system";
    machine.WriteFile("D:\\Windows\\System32\\ntdll.dll", "x");
    EXPECT_TRUE(Is64Bit(true, 'D', machine.system(), machine.files()));
    EXPECT_FALSE(Is64Bit(true, kUnknownLetter, machine.system(), machine.files()));
    // Normal mode asks the running system; the description says WOW64 false.
    EXPECT_FALSE(Is64Bit(false, 'D', machine.system(), machine.files()));
}

TEST(Version, NormalModeAsksTheRunningSystem) {
    MachineFixture machine(MachineJson("sample"));
    auto v = ReadVersion(false, nullptr, -1, machine.system(), machine.files());
    ASSERT_TRUE(v);
    EXPECT_EQ(v->major, 10);
    EXPECT_EQ(v->minor, 0);
    EXPECT_EQ(v->productType, 48u);
    EXPECT_FALSE(v->is64);

    MachineFixture xp(R"({"windows": {"major": 5, "minor": 1, "product_type": 48}, "disks": []})");
    EXPECT_EQ(ReadVersion(false, nullptr, -1, xp.system(), xp.files())->productType, 0u) << "no edition before Vista";
    MachineFixture none(R"({"disks": []})");
    EXPECT_FALSE(ReadVersion(false, nullptr, -1, none.system(), none.files()));
}

TEST(Version, PeModeReadsTheInstalledNtdll) {
    MachineFixture machine(MachineJson("pe-win7-x64"));
    DiskInfo disk;
    ASSERT_TRUE(disk.Load(machine.storage(), 0));
    EXPECT_FALSE(ReadVersion(true, &disk, 2, machine.system(), machine.files())) << "no ntdll.dll yet";

    test::PeImageOptions system32;
    system32.pe32Plus = true;
    system32.major = 6;
    system32.minor = 1;
    machine.WriteFile("D:\\Windows\\System32\\ntdll.dll", test::AsString(test::BuildPeImage(system32)));
    auto v = ReadVersion(true, &disk, 2, machine.system(), machine.files());
    ASSERT_TRUE(v);
    EXPECT_EQ(v->major, 6);
    EXPECT_EQ(v->minor, 1);
    EXPECT_EQ(v->is64, false);
    EXPECT_EQ(v->productType, 0u);

    // A 64-bit system: the SysWOW64 copy is the one read.
    test::PeImageOptions wow64;
    wow64.major = 6;
    wow64.minor = 3;
    machine.WriteFile("D:\\Windows\\SysWOW64\\ntdll.dll", test::AsString(test::BuildPeImage(wow64)));
    v = ReadVersion(true, &disk, 2, machine.system(), machine.files());
    ASSERT_TRUE(v);
    EXPECT_EQ(v->minor, 3);
    EXPECT_EQ(v->is64, true);

    EXPECT_FALSE(ReadVersion(true, &disk, 9, machine.system(), machine.files())) << "no such partition";
    EXPECT_FALSE(ReadVersion(true, nullptr, 2, machine.system(), machine.files())) << "no system disk";
}

}  // namespace
}  // namespace qnb
