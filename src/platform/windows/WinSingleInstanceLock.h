#pragma once
// The single-instance lock as a named mutex.

#include "platform/SingleInstanceLock.h"

namespace q9 {

class WinSingleInstanceLock : public SingleInstanceLock {
 public:
  WinSingleInstanceLock() = default;
  ~WinSingleInstanceLock() override;
  WinSingleInstanceLock(const WinSingleInstanceLock&) = delete;
  WinSingleInstanceLock& operator=(const WinSingleInstanceLock&) = delete;

  LockResult TryAcquire(const std::string& name) override;
  void Release() override;

 private:
  void* mutex_ = nullptr;
};

}  // namespace q9
