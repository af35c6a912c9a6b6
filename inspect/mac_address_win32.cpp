#include "inspect/mac_address_win32.h"

#include "platform/text.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <nb30.h>
#include <snmp.h>

#include <cstring>
#include <memory>

namespace qnb::inspect::win32 {

namespace {

using qnb::win32::LoadSystemLibrary;

template <typename F>
F Find(const qnb::win32::UniqueModule& library, const char* function) {
    return qnb::win32::LibraryFunction<F>(library, function);
}

// The adapter lists of IP Helper, looked up at run time from the system
// folder: IPHLPAPI.DLL is no known system DLL on every Windows, and one
// beside the program would otherwise be loaded in its place.
ULONG WINAPI CallGetAdaptersInfo(IP_ADAPTER_INFO* info, ULONG* size) {
    using Function = ULONG(WINAPI*)(IP_ADAPTER_INFO*, ULONG*);
    static const qnb::win32::UniqueModule library = LoadSystemLibrary(L"iphlpapi.dll");
    static const auto function = Find<Function>(library, "GetAdaptersInfo");
    return function ? function(info, size) : ERROR_NOT_SUPPORTED;
}

ULONG WINAPI CallGetAdaptersAddresses(ULONG family, ULONG flags, void* reserved, IP_ADAPTER_ADDRESSES* addresses,
                                      ULONG* size) {
    using Function = ULONG(WINAPI*)(ULONG, ULONG, void*, IP_ADAPTER_ADDRESSES*, ULONG*);
    static const qnb::win32::UniqueModule library = LoadSystemLibrary(L"iphlpapi.dll");
    static const auto function = Find<Function>(library, "GetAdaptersAddresses");
    return function ? function(family, flags, reserved, addresses, size) : ERROR_NOT_SUPPORTED;
}

std::vector<AdapterInfo> ReadAdapterInfo(const IP_ADAPTER_INFO* first) {
    std::vector<AdapterInfo> adapters;
    for (const IP_ADAPTER_INFO* a = first; a; a = a->Next) {
        AdapterInfo info;
        info.ip = a->IpAddressList.IpAddress.String;
        info.mask = a->IpAddressList.IpMask.String;
        info.gateway = a->GatewayList.IpAddress.String;
        info.description = text::AnsiToUtf8(a->Description);
        info.name = a->AdapterName;
        info.comboIndex = a->ComboIndex;
        info.type = a->Type;
        UINT length = a->AddressLength < MAX_ADAPTER_ADDRESS_LENGTH ? a->AddressLength : MAX_ADAPTER_ADDRESS_LENGTH;
        info.address.assign(a->Address, a->Address + length);
        adapters.push_back(std::move(info));
    }
    return adapters;
}

// Winsock for the SNMP library, started for one call.
struct Sockets {
    bool started;
    Sockets() {
        WSADATA data;
        started = WSAStartup(MAKEWORD(2, 0), &data) == 0;
    }
    ~Sockets() {
        if (started) WSACleanup();
    }
};

}  // namespace

void FixedAdapterInfoSource(std::string& text) {
    // Room for one adapter record: with more adapters Windows answers that
    // the buffer is too small, and this source gives nothing.
    IP_ADAPTER_INFO buffer[1];
    ULONG size = sizeof buffer;
    if (CallGetAdaptersInfo(buffer, &size) != ERROR_SUCCESS) return;
    std::string found = FirstEthernetAddress(ReadAdapterInfo(buffer), true);
    if (!found.empty()) text = found;
}

void NetbiosSource(std::string& text) {
    using NetbiosFunction = UCHAR(APIENTRY*)(PNCB);
    auto netapi = LoadSystemLibrary(L"netapi32.dll");
    auto netbios = Find<NetbiosFunction>(netapi, "Netbios");
    if (!netbios) return;

    LANA_ENUM lanas{};
    unsigned char enumBuffer[256] = {};
    NCB ncb{};
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = enumBuffer;
    ncb.ncb_length = sizeof enumBuffer;
    if (netbios(&ncb) != NRC_GOODRET) return;
    std::memcpy(&lanas, enumBuffer, sizeof lanas);
    if (lanas.length > 1) {
        text.clear();  // several adapters: this source cannot tell which
        return;
    }
    for (UCHAR i = 0; i < lanas.length; ++i) {
        ncb = NCB{};
        ncb.ncb_command = NCBRESET;
        ncb.ncb_lana_num = lanas.lana[i];
        if (netbios(&ncb) != NRC_GOODRET) continue;

        unsigned char status[600] = {};  // ADAPTER_STATUS and 30 names
        ncb = NCB{};
        ncb.ncb_command = NCBASTAT;
        ncb.ncb_lana_num = lanas.lana[i];
        std::memset(ncb.ncb_callname, ' ', NCBNAMSZ);
        ncb.ncb_callname[0] = '*';
        ncb.ncb_buffer = status;
        ncb.ncb_length = sizeof status;
        if (netbios(&ncb) != NRC_GOODRET) return;
        text = FormatMac(status);  // the adapter address opens the status
    }
}

std::vector<stNetPcInfo> AdapterInventory() {
    ULONG size = sizeof(IP_ADAPTER_INFO);
    auto buffer = std::make_unique<unsigned char[]>(size);
    DWORD rc = CallGetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()), &size);
    if (rc == ERROR_BUFFER_OVERFLOW) {
        buffer = std::make_unique<unsigned char[]>(size);
        rc = CallGetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()), &size);
    }
    std::vector<stNetPcInfo> inventory;
    if (rc != ERROR_SUCCESS) return inventory;
    for (const AdapterInfo& a : ReadAdapterInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()))) {
        inventory.push_back(MakeNetPcInfo(a));
    }
    return inventory;
}

void InventorySource(std::string& text) {
    std::string found = FirstInventoryAddress(AdapterInventory());
    if (!found.empty()) text = found;
}

void SnmpSource(std::string& text) {
    Sockets sockets;
    if (!sockets.started) return;
    auto mib = LoadSystemLibrary(L"inetmib1.dll");
    auto snmpapi = LoadSystemLibrary(L"snmpapi.dll");
    auto init = Find<PFNSNMPEXTENSIONINIT>(mib, "SnmpExtensionInit");
    auto initEx = Find<PFNSNMPEXTENSIONINITEX>(mib, "SnmpExtensionInitEx");
    auto query = Find<PFNSNMPEXTENSIONQUERY>(mib, "SnmpExtensionQuery");
    auto trap = Find<PFNSNMPEXTENSIONTRAP>(mib, "SnmpExtensionTrap");
    using OidCopy = SNMPAPI(SNMP_FUNC_TYPE*)(AsnObjectIdentifier*, AsnObjectIdentifier*);
    using OidCompare = SNMPAPI(SNMP_FUNC_TYPE*)(AsnObjectIdentifier*, AsnObjectIdentifier*, UINT);
    using BindFree = VOID(SNMP_FUNC_TYPE*)(SnmpVarBind*);
    auto oidCopy = Find<OidCopy>(snmpapi, "SnmpUtilOidCpy");
    auto oidCompare = Find<OidCompare>(snmpapi, "SnmpUtilOidNCmp");
    auto bindFree = Find<BindFree>(snmpapi, "SnmpUtilVarBindFree");
    (void)initEx;
    (void)trap;
    if (!init || !query || !oidCopy || !oidCompare || !bindFree) return;

    HANDLE trapEvent = nullptr;
    AsnObjectIdentifier supported{};
    init(GetTickCount(), &trapEvent, &supported);

    UINT countIds[] = {1, 3, 6, 1, 2, 1, 2, 1};            // ifNumber's parent
    UINT typeIds[] = {1, 3, 6, 1, 2, 1, 2, 2, 1, 3};       // ifType
    UINT addressIds[] = {1, 3, 6, 1, 2, 1, 2, 2, 1, 6};    // ifPhysAddress
    AsnObjectIdentifier countOid{8, countIds}, typeOid{10, typeIds}, addressOid{10, addressIds};

    SnmpVarBind binds[2] = {};
    SnmpVarBindList list{binds, 1};
    AsnInteger32 status = 0, index = 0;
    oidCopy(&binds[0].name, &countOid);
    if (query(SNMP_PDU_GETNEXT, &list, &status, &index)) {
        long count = binds[0].value.asnValue.number;
        bindFree(&binds[0]);
        binds[0] = SnmpVarBind{};
        list.len = 2;
        oidCopy(&binds[0].name, &typeOid);
        oidCopy(&binds[1].name, &addressOid);
        for (long i = 0; i < count && i < 1024; ++i) {
            SnmpInterface row;
            row.answered = query(SNMP_PDU_GETNEXT, &list, &status, &index) != FALSE;
            if (row.answered) {
                row.typeInTable = oidCompare(&binds[0].name, &typeOid, typeOid.idLength) == 0;
                row.type = binds[0].value.asnValue.number;
                row.addressInTable = oidCompare(&binds[1].name, &addressOid, addressOid.idLength) == 0;
                const AsnOctetString& a = binds[1].value.asnValue.address;
                if (a.stream) row.address.assign(a.stream, a.stream + a.length);
            }
            if (SnmpInterfaceUsable(row)) {
                text = FormatMac(row.address.data());
                break;
            }
        }
    }
    bindFree(&binds[0]);
    bindFree(&binds[1]);
}

void FixedAdapterAddressesSource(std::string& text) {
    // Room for one record only, as for source 1.
    IP_ADAPTER_ADDRESSES buffer[1];
    ULONG size = sizeof buffer;
    if (CallGetAdaptersAddresses(AF_UNSPEC, 0, nullptr, buffer, &size) != ERROR_SUCCESS) return;
    std::vector<AdapterInfo> adapters;
    for (const IP_ADAPTER_ADDRESSES* a = buffer; a; a = a->Next) {
        AdapterInfo info;
        info.type = a->IfType;
        info.address.assign(a->PhysicalAddress, a->PhysicalAddress + MAX_ADAPTER_ADDRESS_LENGTH);
        adapters.push_back(std::move(info));
    }
    std::string found = FirstEthernetAddress(adapters, false);
    if (!found.empty()) text = found;
}

std::string GetMacAddress() {
    return ChooseMacAddress(
        {FixedAdapterInfoSource, NetbiosSource, InventorySource, SnmpSource, FixedAdapterAddressesSource});
}

}  // namespace qnb::inspect::win32
