#include "platform/windows/WinRegistryStore.h"

#include <windows.h>

#include "platform/windows/WinText.h"

namespace q9 {

namespace {

class OpenKey {
 public:
  OpenKey(std::uint32_t root, const std::string& keyPath) {
    std::vector<std::string> parts;
    if ((root != kHKeyCurrentUser && root != kHKeyLocalMachine) || !SplitKeyPath(keyPath, parts)) {
      status_ = RegistryStatus::Error(RegistryResult::KeyUnavailable, "invalid key " + keyPath);
      return;
    }
    const HKEY rootKey = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
    const LONG rc = RegCreateKeyExW(rootKey, WidenUtf8(keyPath).c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                    &key_, nullptr);
    if (rc != ERROR_SUCCESS) {
      key_ = nullptr;
      status_ = RegistryStatus::Error(RegistryResult::KeyUnavailable,
                                      "cannot open key " + keyPath + ": " + Win32ErrorText(static_cast<DWORD>(rc)));
    }
  }
  ~OpenKey() {
    if (key_) RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;

  HKEY get() const { return key_; }
  const RegistryStatus& status() const { return status_; }

 private:
  HKEY key_ = nullptr;
  RegistryStatus status_;
};

}  // namespace

RegistryStatus WinRegistryStore::CreateKey(std::uint32_t root, const std::string& keyPath) {
  return OpenKey(root, keyPath).status();
}

RegistryStatus WinRegistryStore::ReadValue(std::uint32_t root, const std::string& keyPath, const std::string& name,
                                           std::vector<std::uint8_t>& data) {
  OpenKey key(root, keyPath);
  if (!key.status().ok()) return key.status();
  const std::wstring wideName = WidenUtf8(name);
  DWORD type = 0;
  DWORD size = 0;
  LONG rc = RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type, nullptr, &size);
  if (rc == ERROR_FILE_NOT_FOUND) return RegistryStatus::Error(RegistryResult::NoValue, "not found");
  if (rc != ERROR_SUCCESS) return RegistryStatus::Error(RegistryResult::Failed, Win32ErrorText(static_cast<DWORD>(rc)));
  // A value of another type is there: it cannot be read as an image, and is not absent either.
  if (type != REG_BINARY)
    return RegistryStatus::Error(RegistryResult::WrongType, "Invalid data type for '" + name + "'");
  std::vector<std::uint8_t> bytes(size);
  rc = RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type, bytes.data(), &size);
  if (rc != ERROR_SUCCESS) return RegistryStatus::Error(RegistryResult::Failed, Win32ErrorText(static_cast<DWORD>(rc)));
  if (type != REG_BINARY)
    return RegistryStatus::Error(RegistryResult::WrongType, "Invalid data type for '" + name + "'");
  bytes.resize(size);
  data = std::move(bytes);
  return RegistryStatus::Success();
}

RegistryStatus WinRegistryStore::WriteValue(std::uint32_t root, const std::string& keyPath, const std::string& name,
                                            std::span<const std::uint8_t> data) {
  OpenKey key(root, keyPath);
  if (!key.status().ok()) return key.status();
  const LONG rc = RegSetValueExW(key.get(), WidenUtf8(name).c_str(), 0, REG_BINARY, data.data(),
                                 static_cast<DWORD>(data.size()));
  if (rc != ERROR_SUCCESS)
    return RegistryStatus::Error(RegistryResult::Failed, "cannot write " + name + ": " + Win32ErrorText(static_cast<DWORD>(rc)));
  return RegistryStatus::Success();
}

}  // namespace q9
