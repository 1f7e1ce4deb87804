#pragma once
// In-memory registry for tests: values with a type, a key that can be made unopenable, and a
// failure seam that makes every write after the next N fail.

#include <map>
#include <optional>
#include <set>

#include "platform/RegistryStore.h"

namespace q9 {

class FakeRegistryStore : public RegistryStore {
 public:
  struct Value {
    bool binary = true;
    std::vector<std::uint8_t> bytes;
  };

  RegistryStatus CreateKey(std::uint32_t root, const std::string& keyPath) override;
  RegistryStatus ReadValue(std::uint32_t root, const std::string& keyPath, const std::string& name,
                           std::vector<std::uint8_t>& data) override;
  RegistryStatus WriteValue(std::uint32_t root, const std::string& keyPath, const std::string& name,
                            std::span<const std::uint8_t> data) override;

  /// Stores a value directly (binary or not), bypassing the failure seams.
  void Put(const std::string& keyPath, const std::string& name, std::vector<std::uint8_t> bytes, bool binary = true);
  /// The stored bytes, or nothing when the value does not exist.
  std::optional<std::vector<std::uint8_t>> Get(const std::string& keyPath, const std::string& name) const;
  bool HasKey(const std::string& keyPath) const { return keys_.count(keyPath) != 0; }
  /// Names of the values of a key, sorted.
  std::vector<std::string> ValueNames(const std::string& keyPath) const;

  /// Every open of this key fails from now on.
  void MakeKeyUnavailable(const std::string& keyPath) { unavailable_.insert(keyPath); }
  /// The next `writes` writes succeed, every later one fails.
  void FailWritesAfter(int writes) { writesLeft_ = writes; }

  int reads = 0;
  int writes = 0;

 private:
  RegistryStatus Open(std::uint32_t root, const std::string& keyPath);

  std::set<std::string> keys_;
  std::set<std::string> unavailable_;
  std::map<std::pair<std::string, std::string>, Value> values_;
  int writesLeft_ = -1;
};

}  // namespace q9
