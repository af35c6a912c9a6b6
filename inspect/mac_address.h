// The machine's hardware (MAC) address for the usage reports: five sources
// of Windows' adapter information, tried one after the other, each failing
// quietly. This file holds the rules; mac_address_win32 asks Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qnb::inspect {

constexpr char kZeroMac[] = "00-00-00-00-00-00";
constexpr uint32_t kEthernet = 6;  // MIB_IF_TYPE_ETHERNET

// One adapter of the inventory: eight texts, in this order.
struct stNetPcInfo {
    std::string ip;           // the first IP address, dotted
    std::string mac;          // every address byte as "%.2X", joined by "-"; empty without an address
    std::string mask;         // the first IP address's mask
    std::string gateway;      // the first gateway, dotted
    std::string description;
    std::string index;        // the combined index, "%d"
    std::string name;         // the adapter's identifier text
    std::string type;         // AdapterTypeName
};

// An adapter as Windows' adapter information list describes it.
struct AdapterInfo {
    std::string ip, mask, gateway, description, name;
    uint32_t comboIndex = 0;
    uint32_t type = 0;
    std::vector<uint8_t> address;  // as many bytes as the adapter reports
};

// "00-1A-2B-3C-4D-5E" from the first six bytes.
std::string FormatMac(const uint8_t* bytes);
// Every byte of an address, upper-case, joined by "-"; empty for none.
std::string FormatHardwareAddress(const std::vector<uint8_t>& bytes);
// "以太网", "回路", ... or "未知类型 N".
std::string AdapterTypeName(uint32_t type);
stNetPcInfo MakeNetPcInfo(const AdapterInfo& adapter);

// A source works on the text found so far: it may write an address into
// it, clear it, or leave it as it is when it gives nothing.
using MacSource = std::function<void(std::string& text)>;

// Runs the sources in order: the first always, each later one only while
// the text is empty or all zeros. The result is in lower case; empty when
// no source gave an address.
std::string ChooseMacAddress(const std::vector<MacSource>& sources);

// Sources 1 and 5: the first Ethernet adapter; source 1 also needs an
// address of exactly six bytes. Empty when there is none.
std::string FirstEthernetAddress(const std::vector<AdapterInfo>& adapters, bool needSixBytes);

// Source 3: the hardware address of the first inventory record that has one.
std::string FirstInventoryAddress(const std::vector<stNetPcInfo>& inventory);

// Source 4: one answer of the interface walk (type and hardware address).
struct SnmpInterface {
    bool answered = false;        // the request succeeded
    bool typeInTable = false;     // the first binding still lies under ifType
    long type = 0;
    bool addressInTable = false;  // the second binding still lies under ifPhysAddress
    std::vector<uint8_t> address;
};
// The interface gives the address: Ethernet, in both tables, and an address
// that is neither missing, the dial-up placeholder "DEST\0" nor six zeros.
bool SnmpInterfaceUsable(const SnmpInterface& row);

}  // namespace qnb::inspect
