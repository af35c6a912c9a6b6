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

void FakeRegistry::AddKey(RegistryRoot root, const std::string& key) {
    std::lock_guard lock(mutex_);
    keys_.emplace(root, Lower(key));
}

Status FakeRegistry::OpenKey(RegistryRoot root, const std::string& key) {
    std::lock_guard lock(mutex_);
    const std::string lower = Lower(key);
    // A key exists when it was added, holds a value, or has a sub-key that does.
    auto holds = [&](RegistryRoot r, const std::string& k) {
        return r == root && (k == lower || k.compare(0, lower.size() + 1, lower + "\\") == 0);
    };
    for (const auto& [r, k] : keys_) {
        if (holds(r, k)) return {};
    }
    for (const auto& [place, data] : values_) {
        if (holds(std::get<0>(place), std::get<1>(place))) return {};
    }
    return Failure{"open registry key", RegistryPlace(root, key, ""), errors::kFileNotFound};
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
