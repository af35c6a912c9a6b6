#include "platform/sim/machine_loader.h"

#include "platform/text.h"

#include <cstdlib>

namespace qnb::sim {

std::string MachinePathFromEnvironment() {
#ifdef _WIN32
    const wchar_t* value = _wgetenv(text::Wide(kMachineVariable).c_str());
    std::string path = value ? text::Narrow(value) : std::string();
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
        for (char& c : path) c = c == '/' ? '\\' : c;
    }
    return path;
#else
    const char* value = std::getenv(kMachineVariable);
    std::string path = value ? value : "";
    if (path.size() > 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':') {
        path = path.substr(2);
        for (char& c : path) c = c == '\\' ? '/' : c;
    }
    return path;
#endif
}

std::optional<SimulatedMachine> LoadMachine(FileSystem& files, const std::string& path, StoragePort* fallbackStorage,
                                            SystemPort* fallbackSystem, std::string* error) {
    auto json = files.readFile(path);
    if (!json) {
        if (error) *error = "cannot read " + path;
        return std::nullopt;
    }
    auto machine = ParseMachine(*json, error);
    if (!machine) return std::nullopt;
    SimulatedMachine simulated;
    simulated.system = std::make_unique<SimSystem>(machine->windows, fallbackSystem);
    simulated.storage = std::make_unique<SimStorage>(std::move(*machine), fallbackStorage);
    return simulated;
}

}  // namespace qnb::sim
