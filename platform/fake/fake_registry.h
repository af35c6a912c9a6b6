// Registry values for tests, kept in a map; keys and value names without
// regard to case, as in the registry. Safe to use from several threads.
#pragma once

#include "platform/registry_port.h"

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <tuple>
#include <variant>

namespace qnb::fake {

class FakeRegistry : public RegistryPort {
public:
    void SetString(RegistryRoot root, const std::string& key, const std::string& value, std::string data);
    void SetNumber(RegistryRoot root, const std::string& key, const std::string& value, uint32_t data);
    // A key without values (a key that holds values or sub-keys exists anyway).
    void AddKey(RegistryRoot root, const std::string& key);

    Status OpenKey(RegistryRoot root, const std::string& key) override;

    Result<std::string> ReadString(RegistryRoot root, const std::string& key, const std::string& value) override;
    Result<uint32_t> ReadNumber(RegistryRoot root, const std::string& key, const std::string& value) override;

private:
    using Place = std::tuple<RegistryRoot, std::string, std::string>;  // key and value in lower case
    static Place PlaceOf(RegistryRoot root, const std::string& key, const std::string& value);

    std::mutex mutex_;
    std::map<Place, std::variant<std::string, uint32_t>> values_;
    std::set<std::pair<RegistryRoot, std::string>> keys_;  // in lower case
};

}  // namespace qnb::fake
