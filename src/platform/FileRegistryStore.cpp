#include "platform/FileRegistryStore.h"

#include <cstdlib>

#include "platform/UserFolders.h"
#include "platform/Utf8Path.h"

namespace q9 {

namespace {

/// Values are record images; anything far larger is not one of ours and is not read into memory.
constexpr std::uintmax_t kLargestValue = 16u * 1024u * 1024u;

std::filesystem::path EnvFolder(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? std::filesystem::path(value) : std::filesystem::path();
}

}  // namespace

FileRegistryStore::FileRegistryStore(std::filesystem::path storeFolder, DurableWriteHook writeHook)
    : storeFolder_(std::move(storeFolder)), writeHook_(std::move(writeHook)) {}

std::filesystem::path FileRegistryStore::DefaultStoreFolder() {
  if (auto folder = EnvFolder("Q9_CONFIG_HOME"); !folder.empty()) return folder;
  // Relative values are ignored, as the XDG rules say: they would name a folder below wherever
  // the program happens to start.
  if (auto folder = EnvFolder("XDG_CONFIG_HOME"); folder.is_absolute()) return folder;
  if (auto home = EnvFolder("HOME"); home.is_absolute()) return home / ".config";
  if (auto home = UserHomeFolder(); !home.empty()) return home / ".config";
  return {};
}

RegistryStatus FileRegistryStore::OpenKeyFolder(std::uint32_t root, const std::string& keyPath,
                                                 std::filesystem::path& folder) {
  if (root != kHKeyCurrentUser)
    return RegistryStatus::Error(RegistryResult::KeyUnavailable, "only the current user's settings are stored here");
  std::vector<std::string> parts;
  if (!SplitKeyPath(keyPath, parts))
    return RegistryStatus::Error(RegistryResult::KeyUnavailable, "invalid key path \"" + keyPath + "\"");
  folder = storeFolder_;
  for (const std::string& part : parts) folder /= PathFromUtf8(part);
  std::error_code created;
  std::filesystem::create_directories(folder, created);
  std::error_code examined;
  if (!std::filesystem::is_directory(folder, examined)) {
    const std::error_code& why = created ? created : examined;
    return RegistryStatus::Error(RegistryResult::KeyUnavailable, "cannot open settings folder " + Utf8FromPath(folder) +
                                                                     (why ? ": " + why.message() : ""));
  }
  return RegistryStatus::Success();
}

std::size_t FileRegistryStore::RemoveLeftoverTemporaries(std::uint32_t root, const std::string& keyPath,
                                                         std::string& error) {
  std::filesystem::path folder;
  if (auto status = OpenKeyFolder(root, keyPath, folder); !status.ok()) {
    error = status.message;
    return 0;
  }
  std::size_t removed = 0;
  std::error_code listing;
  for (std::filesystem::directory_iterator entry(folder, listing), end; !listing && entry != end;
       entry.increment(listing)) {
    std::error_code examined;
    if (!IsDurableWriteTemporary(entry->path()) || !entry->is_regular_file(examined) || entry->is_symlink(examined))
      continue;
    std::error_code why;
    if (std::filesystem::remove(entry->path(), why)) {
      ++removed;
    } else if (why && error.empty()) {
      error = "cannot remove " + Utf8FromPath(entry->path()) + ": " + why.message();
    }
  }
  if (listing && error.empty()) error = "cannot list " + Utf8FromPath(folder) + ": " + listing.message();
  return removed;
}

RegistryStatus FileRegistryStore::CreateKey(std::uint32_t root, const std::string& keyPath) {
  std::filesystem::path folder;
  return OpenKeyFolder(root, keyPath, folder);
}

RegistryStatus FileRegistryStore::ReadValue(std::uint32_t root, const std::string& keyPath, const std::string& name,
                                             std::vector<std::uint8_t>& data) {
  std::filesystem::path folder;
  if (auto status = OpenKeyFolder(root, keyPath, folder); !status.ok()) return status;
  if (!IsPlainValueName(name))
    return RegistryStatus::Error(RegistryResult::NoValue, "invalid value name \"" + name + "\"");
  std::string why;
  switch (ReadRegularFile(folder / PathFromUtf8(name), kLargestValue, data, why)) {
    case FileReadResult::Ok:
      return RegistryStatus::Success();
    case FileReadResult::Missing:
      return RegistryStatus::Error(RegistryResult::NoValue, why);
    case FileReadResult::NotRegular:
      return RegistryStatus::Error(RegistryResult::WrongType, why);
    case FileReadResult::TooLarge:
    case FileReadResult::Failed:
      break;
  }
  return RegistryStatus::Error(RegistryResult::Failed, why);
}

std::string FileRegistryStore::ValueLocation(std::uint32_t root, const std::string& keyPath,
                                             const std::string& name) const {
  std::vector<std::string> parts;
  if (root != kHKeyCurrentUser || !SplitKeyPath(keyPath, parts)) return RegistryStore::ValueLocation(root, keyPath, name);
  std::filesystem::path file = storeFolder_;
  for (const std::string& part : parts) file /= PathFromUtf8(part);
  return Utf8FromPath(file / PathFromUtf8(name));
}

RegistryStatus FileRegistryStore::WriteValue(std::uint32_t root, const std::string& keyPath, const std::string& name,
                                              std::span<const std::uint8_t> data) {
  std::filesystem::path folder;
  if (auto status = OpenKeyFolder(root, keyPath, folder); !status.ok()) return status;
  if (!IsPlainValueName(name))
    return RegistryStatus::Error(RegistryResult::Failed, "invalid value name \"" + name + "\"");
  std::string error;
  if (!WriteFileDurably(folder / PathFromUtf8(name), data, error, writeHook_))
    return RegistryStatus::Error(RegistryResult::Failed, error);
  return RegistryStatus::Success();
}

}  // namespace q9
