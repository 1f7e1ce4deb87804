#include "platform/fake/FakeRegistryStore.h"

namespace q9 {

RegistryStatus FakeRegistryStore::Open(std::uint32_t root, const std::string& keyPath) {
  std::vector<std::string> parts;
  if ((root != kHKeyCurrentUser && root != kHKeyLocalMachine) || !SplitKeyPath(keyPath, parts) ||
      unavailable_.count(keyPath))
    return RegistryStatus::Error(RegistryResult::KeyUnavailable, "key unavailable: " + keyPath);
  keys_.insert(keyPath);
  return RegistryStatus::Success();
}

RegistryStatus FakeRegistryStore::CreateKey(std::uint32_t root, const std::string& keyPath) {
  return Open(root, keyPath);
}

RegistryStatus FakeRegistryStore::ReadValue(std::uint32_t root, const std::string& keyPath, const std::string& name,
                                            std::vector<std::uint8_t>& data) {
  ++reads;
  if (auto status = Open(root, keyPath); !status.ok()) return status;
  const auto it = values_.find({keyPath, name});
  if (it == values_.end()) return RegistryStatus::Error(RegistryResult::NoValue, "no value " + name);
  if (!it->second.binary) return RegistryStatus::Error(RegistryResult::WrongType, "not binary: " + name);
  data = it->second.bytes;
  return RegistryStatus::Success();
}

RegistryStatus FakeRegistryStore::WriteValue(std::uint32_t root, const std::string& keyPath, const std::string& name,
                                             std::span<const std::uint8_t> data) {
  ++writes;
  if (auto status = Open(root, keyPath); !status.ok()) return status;
  if (writesLeft_ == 0) return RegistryStatus::Error(RegistryResult::Failed, "simulated write failure");
  if (writesLeft_ > 0) --writesLeft_;
  values_[{keyPath, name}] = Value{true, {data.begin(), data.end()}};
  return RegistryStatus::Success();
}

void FakeRegistryStore::Put(const std::string& keyPath, const std::string& name, std::vector<std::uint8_t> bytes,
                            bool binary) {
  keys_.insert(keyPath);
  values_[{keyPath, name}] = Value{binary, std::move(bytes)};
}

std::optional<std::vector<std::uint8_t>> FakeRegistryStore::Get(const std::string& keyPath,
                                                                const std::string& name) const {
  const auto it = values_.find({keyPath, name});
  if (it == values_.end()) return std::nullopt;
  return it->second.bytes;
}

std::vector<std::string> FakeRegistryStore::ValueNames(const std::string& keyPath) const {
  std::vector<std::string> names;
  for (const auto& [key, value] : values_)
    if (key.first == keyPath) names.push_back(key.second);
  return names;
}

}  // namespace q9
