#include "platform/registry_port.h"

namespace qnb {

std::string RegistryPlace(RegistryRoot root, const std::string& key, const std::string& value) {
    return std::string(root == RegistryRoot::kLocalMachine ? "HKLM\\" : "HKCU\\") + key + "\\" + value;
}

}  // namespace qnb
