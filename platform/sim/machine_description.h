// A simulated machine: the disks, partitions, volumes and Windows facts that
// the storage simulator answers from. Read from the JSON description named
// by QNB_SIM_MACHINE (documented in testbed/machines/README.md).
#pragma once

#include "platform/disk_structures.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qnb::sim {

struct Volume {
    char letter = 0;  // 0: a volume without a drive letter
    std::string label;
    std::string fileSystem;
    uint64_t free = 0;
};

struct Partition {
    uint32_t number = 0;
    uint8_t mbrType = 0;
    bool active = false;
    uint64_t start = 0;
    uint64_t length = 0;
    disk::Guid gptType{};
    std::string gptName;
    std::optional<Volume> volume;
};

enum class LayoutAnswer { Both, OldOnly, None };

struct Disk {
    int number = 0;
    uint32_t busType = 0;
    std::optional<std::string> vendor, product, serial, revision;
    uint64_t size = 0;
    int seekPenalty = -1;          // -1: the query fails
    bool gpt = false;
    LayoutAnswer layout = LayoutAnswer::Both;
    bool descriptor = true;        // false: the descriptor query fails
    bool geometryEx = true;        // false: only the old geometry query answers
    bool loads = true;             // false: counted, but cannot be opened for loading
    std::vector<Partition> partitions;
};

struct Windows {
    std::string dir = "C:\\Windows";
    uint32_t major = 0, minor = 0, build = 0, productType = 0;
    bool wow64 = false;
    bool pe = false;
};

struct MachineDescription {
    std::optional<Windows> windows;  // nothing: the real system answers
    std::vector<Disk> disks;
};

// Nothing, with a reason in *error, when the text is not a valid description.
std::optional<MachineDescription> ParseMachine(std::string_view json, std::string* error);

}  // namespace qnb::sim
