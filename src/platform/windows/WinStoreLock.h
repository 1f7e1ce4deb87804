#pragma once
// The locks of a store as named mutexes of the user's session: "q9-store-<user>-<store>" (the store
// lock; readers take it exclusively too, a mutex has no shared mode) and "q9-window-<user>-<store>"
// (the window mark: it exists while the window holds a handle to it). <store> is a hash of the
// store folder's absolute path, letter case ignored, or "registry" for the registry store.

#include <filesystem>

#include "platform/StoreLock.h"

namespace q9 {

class WinStoreLock : public StoreLock {
 public:
  /// An empty folder is the registry store of the current user.
  explicit WinStoreLock(std::filesystem::path storeFolder);
  ~WinStoreLock() override;
  WinStoreLock(const WinStoreLock&) = delete;
  WinStoreLock& operator=(const WinStoreLock&) = delete;

  StoreLockResult Lock(StoreLockMode mode, int waitMs, std::string& error) override;
  void Unlock() override;
  StoreLockResult HoldWindowMark(std::string& error) override;
  void ReleaseWindowMark() override;
  bool WindowMarkHeldElsewhere() override;
  std::string StoreName() const override;

  std::wstring StoreMutexName() const;
  std::wstring WindowMutexName() const;

 private:
  std::filesystem::path storeFolder_;
  std::wstring storeKey_;
  void* storeMutex_ = nullptr;
  void* windowMutex_ = nullptr;
};

}  // namespace q9
