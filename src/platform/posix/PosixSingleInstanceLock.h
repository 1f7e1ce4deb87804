#pragma once
// The single-instance lock as an flock on a per-user file in the runtime folder: $XDG_RUNTIME_DIR,
// else the user's own folder /tmp/q9config-<uid>, which is made 0700 and refused (Unsafe) when it
// is not a folder of this user's that only this user may write.

#include <filesystem>
#include <string>

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
  std::string LastError() const override { return lastError_; }

  /// The file that carries the lock of `name`.
  std::filesystem::path LockFile(const std::string& name) const;

 private:
  std::filesystem::path runtimeFolder_;
  int fd_ = -1;
  std::string lastError_;
};

}  // namespace q9
