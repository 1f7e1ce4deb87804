#pragma once
// The locks of a store folder as flocks on two files in it: ".q9config-store.lock" (the store
// lock, shared or exclusive) and ".q9config-window.lock" (the window mark: the window holds it
// exclusively, a command tests it with a shared attempt).

#include <filesystem>

#include "platform/StoreLock.h"

namespace q9 {

class PosixStoreLock : public StoreLock {
 public:
  explicit PosixStoreLock(std::filesystem::path storeFolder);
  ~PosixStoreLock() override;
  PosixStoreLock(const PosixStoreLock&) = delete;
  PosixStoreLock& operator=(const PosixStoreLock&) = delete;

  StoreLockResult Lock(StoreLockMode mode, int waitMs, std::string& error) override;
  void Unlock() override;
  StoreLockResult HoldWindowMark(std::string& error) override;
  void ReleaseWindowMark() override;
  bool WindowMarkHeldElsewhere() override;
  std::string StoreName() const override;

  std::filesystem::path StoreLockFile() const;
  std::filesystem::path WindowMarkFile() const;

 private:
  int OpenLockFile(const std::filesystem::path& file, std::string& error) const;

  std::filesystem::path storeFolder_;
  int storeFd_ = -1;
  int windowFd_ = -1;
};

}  // namespace q9
