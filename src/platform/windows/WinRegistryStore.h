#pragma once
// The registry itself: REG_BINARY values under HKEY_CURRENT_USER (or HKEY_LOCAL_MACHINE).

#include "platform/RegistryStore.h"

namespace q9 {

class WinRegistryStore : public RegistryStore {
 public:
  RegistryStatus CreateKey(std::uint32_t root, const std::string& keyPath) override;
  RegistryStatus ReadValue(std::uint32_t root, const std::string& keyPath, const std::string& name,
                           std::vector<std::uint8_t>& data) override;
  RegistryStatus WriteValue(std::uint32_t root, const std::string& keyPath, const std::string& name,
                            std::span<const std::uint8_t> data) override;
};

}  // namespace q9
