// qnbdiag context: the real AppContext initialisation, printed as JSON.
#include "app/app_context.h"
#include "tools/qnbdiag/commands.h"
#include "tools/qnbdiag/json_output.h"
#include "platform/sim/sim_machine.h"

namespace qnb::diag {

namespace {

std::string Letter(char c) { return c ? std::string(1, c) : std::string(); }

Json::Value PartitionJson(const PartitionInfo& p) {
    Json::Value j(Json::objectValue);
    j["number"] = p.number;
    j["letter"] = Letter(p.letter);
    j["fs"] = p.fileSystem;
    j["label"] = p.label;
    j["free"] = Json::UInt64(p.free);
    j["length"] = Json::UInt64(p.length);
    j["start"] = Json::UInt64(p.start);
    j["active"] = p.active;
    j["logical"] = p.logical;
    j["mbr_type"] = p.mbrType;
    j["gpt_kind"] = p.gptKind;
    j["volume_name"] = p.volumeName;
    return j;
}

Json::Value DiskJson(const DiskInfo& d) {
    Json::Value j(Json::objectValue);
    j["number"] = d.driveNumber;
    j["loaded"] = d.IsLoaded();
    j["bus_type"] = d.busType;
    j["size"] = Json::UInt64(d.size);
    j["style"] = d.partitionStyle == disk::kStyleGpt ? "gpt" : "mbr";
    j["model"] = d.model;
    j["vendor"] = d.vendor;
    j["product"] = d.product;
    j["serial"] = d.serial;
    j["revision"] = d.revision;
    j["seek_penalty"] = d.seekPenalty;
    j["no_partitions"] = d.noPartitions;
    j["file_backed_virtual"] = d.fileBackedVirtual;
    j["partitions"] = Json::Value(Json::arrayValue);
    for (const PartitionInfo& p : d.partitions) j["partitions"].append(PartitionJson(p));
    return j;
}

}  // namespace

int RunContext(const Arguments& args) {
    if (!args.empty()) {
        PrintError("context takes no arguments");
        return 2;
    }
    std::string error;
    auto machine = sim::OpenMachineFromEnvironment(&error);
    if (!machine) {
        PrintError(error);
        return 1;
    }
    AppContext context;
    context.Initialise(machine->storage(), machine->system(), machine->files(), machine->folderSecurity());

    Json::Value j(Json::objectValue);
    j["ready"] = context.IsReady();
    j["pe_mode"] = context.IsPeMode();
    j["system_letter"] = std::string(1, context.SystemLetter());
    j["system_disk"] = context.SystemDisk();
    j["system_partition"] = context.SystemPartition();
    j["system_disk_gpt"] = context.SystemDiskIsGpt();
    j["is64"] = context.Is64();
    j["major"] = context.Major();
    j["minor"] = context.Minor();
    j["product_type"] = context.ProductType();
    j["os_name"] = context.OsName();
    j["os_type"] = context.OsTypeCode();
    j["edition"] = context.EditionName();
    j["workspace"] = context.WorkspacePath();
    j["same_disk"] = context.SameDisk();
    j["choose_result"] = context.WorkspaceResult();
    j["disks"] = Json::Value(Json::arrayValue);
    for (const DiskInfo& d : context.Disks()) j["disks"].append(DiskJson(d));
    PrintJson(j);
    return 0;
}

}  // namespace qnb::diag
