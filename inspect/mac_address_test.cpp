#include "inspect/mac_address.h"

#include <gtest/gtest.h>

namespace qnb::inspect {
namespace {

TEST(MacFormat, SixBytesAndWholeAddresses) {
    const uint8_t bytes[] = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e, 0x6f, 0x70};
    EXPECT_EQ(FormatMac(bytes), "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(FormatHardwareAddress({bytes, bytes + 8}), "00-1A-2B-3C-4D-5E-6F-70");
    EXPECT_EQ(FormatHardwareAddress({0xab}), "AB");
    EXPECT_EQ(FormatHardwareAddress({}), "");
}

TEST(AdapterType, Names) {
    struct Case {
        uint32_t type;
        const char* name;
    } cases[] = {{1, "其它"},  {6, "以太网"}, {9, "令牌环"}, {15, "FDDI"},          {23, "PPP"},
                 {24, "回路"}, {28, "Slip"},  {71, "未知类型 71"}, {0, "未知类型 0"}};
    for (const Case& c : cases) EXPECT_EQ(AdapterTypeName(c.type), c.name) << c.type;
}

TEST(Inventory, RecordFields) {
    AdapterInfo a;
    a.ip = "192.168.1.5";
    a.mask = "255.255.255.0";
    a.gateway = "192.168.1.1";
    a.description = "Realtek PCIe GbE Family Controller";
    a.name = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
    a.comboIndex = 0xFFFFFFFF;
    a.type = 71;
    a.address = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
    stNetPcInfo r = MakeNetPcInfo(a);
    EXPECT_EQ(r.ip, "192.168.1.5");
    EXPECT_EQ(r.mac, "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(r.mask, "255.255.255.0");
    EXPECT_EQ(r.gateway, "192.168.1.1");
    EXPECT_EQ(r.description, "Realtek PCIe GbE Family Controller");
    EXPECT_EQ(r.index, "-1") << "%d of the combined index";
    EXPECT_EQ(r.name, "{4D36E972-E325-11CE-BFC1-08002BE10318}");
    EXPECT_EQ(r.type, "未知类型 71");
}

// A source that writes `value` (nothing when null) and counts its runs.
MacSource Gives(const char* value, int* runs) {
    return [value, runs](std::string& text) {
        ++*runs;
        if (value) text = value;
    };
}

TEST(MacChain, SourcesRunUntilOneGivesAnAddress) {
    struct Case {
        const char* what;
        std::vector<const char*> gives;  // per source; nullptr = gives nothing
        std::string result;
        int sourcesRun;
    } cases[] = {
        {"the first answers", {"00-1A-2B-3C-4D-5E", "AA-AA-AA-AA-AA-AA", nullptr, nullptr, nullptr},
         "00-1a-2b-3c-4d-5e", 1},
        {"zeros do not end the search", {"00-00-00-00-00-00", "00-1A-2B-3C-4D-5F", nullptr, nullptr, nullptr},
         "00-1a-2b-3c-4d-5f", 2},
        {"the third after two empty ones", {nullptr, nullptr, "0A-0B-0C-0D-0E-0F", "11-11-11-11-11-11", nullptr},
         "0a-0b-0c-0d-0e-0f", 3},
        {"nothing anywhere", {nullptr, nullptr, nullptr, nullptr, nullptr}, "", 5},
        {"zeros from the last that answered", {nullptr, nullptr, nullptr, "00-00-00-00-00-00", nullptr},
         "00-00-00-00-00-00", 5},
        {"a later empty source keeps zeros", {"00-00-00-00-00-00", nullptr, nullptr, nullptr, nullptr},
         "00-00-00-00-00-00", 5},
    };
    for (const Case& c : cases) {
        int runs = 0;
        std::vector<MacSource> sources;
        for (const char* g : c.gives) sources.push_back(Gives(g, &runs));
        EXPECT_EQ(ChooseMacAddress(sources), c.result) << c.what;
        EXPECT_EQ(runs, c.sourcesRun) << c.what;
    }
}

TEST(MacChain, ASourceThatClearsTheTextDropsEarlierZeros) {
    int runs = 0;
    MacSource clears = [&](std::string& text) {
        ++runs;
        text.clear();
    };
    EXPECT_EQ(ChooseMacAddress({Gives("00-00-00-00-00-00", &runs), clears, Gives(nullptr, &runs)}), "");
    EXPECT_EQ(runs, 3);
}

TEST(MacSources, FirstEthernetAdapter) {
    AdapterInfo wifi{"", "", "", "", "", 0, 71, {0x10, 0x11, 0x12, 0x13, 0x14, 0x15}};
    AdapterInfo wired{"", "", "", "", "", 0, 6, {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}};
    AdapterInfo oddWired{"", "", "", "", "", 0, 6, {0x22, 0x22, 0x22, 0x22}};
    EXPECT_EQ(FirstEthernetAddress({wifi, wired}, true), "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(FirstEthernetAddress({oddWired, wired}, true), "00-1A-2B-3C-4D-5E") << "six bytes only";
    EXPECT_EQ(FirstEthernetAddress({oddWired, wired}, false), "22-22-22-22-00-00") << "the first six bytes";
    EXPECT_EQ(FirstEthernetAddress({wifi}, true), "");
    // The inventory takes the first record with an address, whatever its type.
    EXPECT_EQ(FirstInventoryAddress({MakeNetPcInfo(AdapterInfo{}), MakeNetPcInfo(wifi), MakeNetPcInfo(wired)}),
              "10-11-12-13-14-15");
    EXPECT_EQ(FirstInventoryAddress({MakeNetPcInfo(AdapterInfo{})}), "");
}

TEST(MacSources, SnmpInterfacesThatAreSkipped) {
    SnmpInterface good{true, true, 6, true, {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}};
    EXPECT_TRUE(SnmpInterfaceUsable(good));
    struct Case {
        const char* what;
        SnmpInterface row;
    } cases[] = {
        {"failed request", {false, true, 6, true, good.address}},
        {"past the type table", {true, false, 6, true, good.address}},
        {"loopback", {true, true, 24, true, good.address}},
        {"past the address table", {true, true, 6, false, good.address}},
        {"no address", {true, true, 6, true, {}}},
        {"dial-up placeholder", {true, true, 6, true, {'D', 'E', 'S', 'T', 0, 0x01}}},
        {"all zeros", {true, true, 6, true, {0, 0, 0, 0, 0, 0}}},
        {"too short", {true, true, 6, true, {0x00, 0x1a, 0x2b}}},
    };
    for (const Case& c : cases) EXPECT_FALSE(SnmpInterfaceUsable(c.row)) << c.what;
}

}  // namespace
}  // namespace qnb::inspect
