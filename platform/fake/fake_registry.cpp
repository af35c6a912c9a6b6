#include "platform/fake/fake_registry.h"

#include "platform/error_codes.h"

namespace qnb::fake {

namespace {

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

}  // namespace

FakeRegistry::Place FakeRegistry::PlaceOf(RegistryRoot root, const std::string& key, const std::string& value) {
    return {root, Lower(key), Lower(value)};
}

void FakeRegistry::SetString(RegistryRoot root, const std::string& key, const std::string& value, std::string data) {
    std::lock_guard lock(mutex_);
    values_[PlaceOf(root, key, value)] = std::move(data);
}

void FakeRegistry::SetNumber(RegistryRoot root, const std::string& key, const std::string& value, uint32_t data) {
    std::lock_guard lock(mutex_);
    values_[PlaceOf(root, key, value)] = data;
}

Result<std::string> FakeRegistry::ReadString(RegistryRoot root, const std::string& key, const std::string& value) {
    std::lock_guard lock(mutex_);
    auto it = values_.find(PlaceOf(root, key, value));
    if (it == values_.end()) return Failure{"read registry value", RegistryPlace(root, key, value), errors::kFileNotFound};
    if (auto* text = std::get_if<std::string>(&it->second)) return *text;
    return Failure{"read registry value", RegistryPlace(root, key, value), errors::kDatatypeMismatch};
}

Result<uint32_t> FakeRegistry::ReadNumber(RegistryRoot root, const std::string& key, const std::string& value) {
    std::lock_guard lock(mutex_);
    auto it = values_.find(PlaceOf(root, key, value));
    if (it == values_.end()) return Failure{"read registry value", RegistryPlace(root, key, value), errors::kFileNotFound};
    if (auto* number = std::get_if<uint32_t>(&it->second)) return *number;
    return Failure{"read registry value", RegistryPlace(root, key, value), errors::kDatatypeMismatch};
}

}  // namespace qnb::fake
