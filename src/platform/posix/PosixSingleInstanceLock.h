#pragma once
// The single-instance lock as an flock on a per-user file in the runtime folder
// ($XDG_RUNTIME_DIR, else /tmp with the user id in the file name).

#include <filesystem>

#include "platform/SingleInstanceLock.h"

namespace q9 {

class PosixSingleInstanceLock : public SingleInstanceLock {
 public:
  PosixSingleInstanceLock() = default;
  explicit PosixSingleInstanceLock(std::filesystem::path runtimeFolder);
  ~PosixSingleInstanceLock() override;
  PosixSingleInstanceLock(const PosixSingleInstanceLock&) = delete;
  PosixSingleInstanceLock& operator=(const PosixSingleInstanceLock&) = delete;

  LockResult TryAcquire(const std::string& name) override;
  void Release() override;

  /// The file that carries the lock of `name`.
  std::filesystem::path LockFile(const std::string& name) const;

 private:
  std::filesystem::path runtimeFolder_;
  int fd_ = -1;
};

}  // namespace q9
