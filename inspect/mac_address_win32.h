// The five sources of the machine's hardware address, asked of Windows.
#pragma once

#include "inspect/mac_address.h"

#include <string>
#include <vector>

namespace qnb::inspect::win32 {

// The chosen address in lower case ("00-1a-2b-3c-4d-5e"); empty when no
// source gave one.
std::string GetMacAddress();

// Every adapter of Windows' adapter information list, in its order.
std::vector<stNetPcInfo> AdapterInventory();

// The sources one by one (for qnbdiag and the tests); each leaves the text
// as it is when it gives nothing.
void FixedAdapterInfoSource(std::string& text);     // 1
void NetbiosSource(std::string& text);              // 2
void InventorySource(std::string& text);            // 3
void SnmpSource(std::string& text);                 // 4
void FixedAdapterAddressesSource(std::string& text);  // 5

}  // namespace qnb::inspect::win32
