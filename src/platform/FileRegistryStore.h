#pragma once
// Registry values as files: the key path's parts are folders below the store folder, and each value
// is one file holding exactly the value's bytes. Only HKEY_CURRENT_USER has a store here. It is the
// store on POSIX systems, and on Windows when a store folder is named explicitly.

#include <filesystem>

#include "platform/DurableFile.h"
#include "platform/RegistryStore.h"

namespace q9 {

class FileRegistryStore : public RegistryStore {
 public:
  explicit FileRegistryStore(std::filesystem::path storeFolder, DurableWriteHook writeHook = {});

  /// $Q9_CONFIG_HOME, else $XDG_CONFIG_HOME when absolute, else ~/.config, the home folder taken
  /// from $HOME when absolute, else from the user database; empty when there is no home folder.
  static std::filesystem::path DefaultStoreFolder();

  RegistryStatus CreateKey(std::uint32_t root, const std::string& keyPath) override;
  RegistryStatus ReadValue(std::uint32_t root, const std::string& keyPath, const std::string& name,
                           std::vector<std::uint8_t>& data) override;
  RegistryStatus WriteValue(std::uint32_t root, const std::string& keyPath, const std::string& name,
                            std::span<const std::uint8_t> data) override;
  /// The value's file.
  std::string ValueLocation(std::uint32_t root, const std::string& keyPath, const std::string& name) const override;
  /// The key folder's own temporary files (the durable write's naming); other files, links and
  /// folders stay, whatever their names.
  std::size_t RemoveLeftoverTemporaries(std::uint32_t root, const std::string& keyPath, std::string& error) override;

  const std::filesystem::path& StoreFolder() const { return storeFolder_; }

 private:
  RegistryStatus OpenKeyFolder(std::uint32_t root, const std::string& keyPath, std::filesystem::path& folder);

  std::filesystem::path storeFolder_;
  DurableWriteHook writeHook_;
};

}  // namespace q9
