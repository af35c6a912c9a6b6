// Registry values for tests, kept in a map; keys and value names without
// regard to case, as in the registry. Safe to use from several threads.
#pragma once

#include "platform/registry_port.h"

#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <variant>

namespace qnb::fake {

class FakeRegistry : public RegistryPort {
public:
    void SetString(RegistryRoot root, const std::string& key, const std::string& value, std::string data);
    void SetNumber(RegistryRoot root, const std::string& key, const std::string& value, uint32_t data);

    Result<std::string> ReadString(RegistryRoot root, const std::string& key, const std::string& value) override;
    Result<uint32_t> ReadNumber(RegistryRoot root, const std::string& key, const std::string& value) override;

private:
    using Place = std::tuple<RegistryRoot, std::string, std::string>;  // key and value in lower case
    static Place PlaceOf(RegistryRoot root, const std::string& key, const std::string& value);

    std::mutex mutex_;
    std::map<Place, std::variant<std::string, uint32_t>> values_;
};

}  // namespace qnb::fake
