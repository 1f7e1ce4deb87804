#include "platform/FileRegistryStore.h"

#include <cstdlib>
#include <fstream>

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
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder, ec))
    return RegistryStatus::Error(RegistryResult::KeyUnavailable, "cannot open settings folder " + Utf8FromPath(folder));
  return RegistryStatus::Success();
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
  const std::filesystem::path file = folder / PathFromUtf8(name);
  std::error_code ec;
  const auto status = std::filesystem::status(file, ec);
  if (!std::filesystem::exists(status)) return RegistryStatus::Error(RegistryResult::NoValue, Utf8FromPath(file) + " not found");
  if (!std::filesystem::is_regular_file(status))
    return RegistryStatus::Error(RegistryResult::WrongType, Utf8FromPath(file) + " is not a binary value");
  const auto size = std::filesystem::file_size(file, ec);
  if (ec || size > kLargestValue)
    return RegistryStatus::Error(RegistryResult::Failed, "cannot read " + Utf8FromPath(file) + (ec ? "" : ": too large"));
  std::ifstream in(file, std::ios::binary);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
    return RegistryStatus::Error(RegistryResult::Failed, "cannot read " + Utf8FromPath(file));
  data = std::move(bytes);
  return RegistryStatus::Success();
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
