#include "inspect/mac_address.h"

#include "platform/ascii.h"

#include <cstdio>
#include <cstring>

namespace qnb::inspect {

std::string FormatMac(const uint8_t* b) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", b[0], b[1], b[2], b[3], b[4], b[5]);
    return text;
}

std::string FormatHardwareAddress(const std::vector<uint8_t>& bytes) {
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char part[4];
        std::snprintf(part, sizeof part, i + 1 < bytes.size() ? "%.2X-" : "%.2X", bytes[i]);
        text += part;
    }
    return text;
}

std::string AdapterTypeName(uint32_t type) {
    switch (type) {
    case 1: return "其它";
    case 6: return "以太网";
    case 9: return "令牌环";
    case 15: return "FDDI";
    case 23: return "PPP";
    case 24: return "回路";
    case 28: return "Slip";
    default: return "未知类型 " + std::to_string(type);
    }
}

stNetPcInfo MakeNetPcInfo(const AdapterInfo& a) {
    return {a.ip,          FormatHardwareAddress(a.address), a.mask, a.gateway, a.description,
            std::to_string(static_cast<int32_t>(a.comboIndex)), a.name, AdapterTypeName(a.type)};
}

std::string ChooseMacAddress(const std::vector<MacSource>& sources) {
    std::string text;
    for (size_t i = 0; i < sources.size(); ++i) {
        if (i > 0 && !text.empty() && text != kZeroMac) break;
        sources[i](text);
    }
    return ascii::ToLower(text);
}

std::string FirstEthernetAddress(const std::vector<AdapterInfo>& adapters, bool needSixBytes) {
    for (const AdapterInfo& a : adapters) {
        if (a.type != kEthernet) continue;
        if (needSixBytes && a.address.size() != 6) continue;
        uint8_t bytes[6] = {};
        std::memcpy(bytes, a.address.data(), a.address.size() < 6 ? a.address.size() : 6);
        return FormatMac(bytes);
    }
    return {};
}

std::string FirstInventoryAddress(const std::vector<stNetPcInfo>& inventory) {
    for (const stNetPcInfo& record : inventory) {
        if (!record.mac.empty()) return record.mac;
    }
    return {};
}

bool SnmpInterfaceUsable(const SnmpInterface& row) {
    if (!row.answered || !row.typeInTable || row.type != static_cast<long>(kEthernet) || !row.addressInTable) {
        return false;
    }
    const std::vector<uint8_t>& a = row.address;
    if (a.empty()) return false;
    if (a.size() >= 5 && std::memcmp(a.data(), "DEST\0", 5) == 0) return false;
    if (a.size() < 6) return false;
    for (size_t i = 0; i < 6; ++i) {
        if (a[i] != 0) return true;
    }
    return false;
}

}  // namespace qnb::inspect
