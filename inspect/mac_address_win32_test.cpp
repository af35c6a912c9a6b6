// The adapter sources on Windows (under Wine: the host's adapters).
#include "inspect/mac_address_win32.h"

#include <gtest/gtest.h>

#include <regex>

namespace qnb::inspect::win32 {
namespace {

const std::regex kLowerMac("([0-9a-f]{2}-){5}[0-9a-f]{2}");

TEST(MacAddressWin32, TheChosenAddressIsWellFormedOrEmpty) {
    std::string mac = GetMacAddress();
    EXPECT_TRUE(mac.empty() || std::regex_match(mac, kLowerMac)) << mac;
}

TEST(MacAddressWin32, EachSourceWritesAnAddressOrNothing) {
    const std::regex upper("([0-9A-F]{2}-){5}[0-9A-F]{2}");
    for (auto source : {FixedAdapterInfoSource, NetbiosSource, InventorySource, SnmpSource,
                        FixedAdapterAddressesSource}) {
        std::string text = "untouched";
        source(text);
        EXPECT_TRUE(text == "untouched" || text.empty() || std::regex_match(text, upper)) << text;
    }
}

TEST(MacAddressWin32, TheInventoryDescribesEveryAdapter) {
    for (const stNetPcInfo& record : AdapterInventory()) {
        EXPECT_FALSE(record.name.empty());
        EXPECT_FALSE(record.type.empty());
        EXPECT_TRUE(record.mac.empty() || std::regex_match(record.mac, std::regex("([0-9A-F]{2}-)*[0-9A-F]{2}")))
            << record.mac;
    }
}

}  // namespace
}  // namespace qnb::inspect::win32
