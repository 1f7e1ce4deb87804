#pragma once
// The named lock that keeps a second copy of the program from running.
//
// Contract: TryAcquire takes the lock for this process. It reports HeldElsewhere when another copy
// holds it, Unavailable when the lock cannot be made at all (the caller then runs unguarded, as it
// would with no lock service), and Unsafe when the lock's place could be taken over by another user
// (LastError says why; the caller refuses to start rather than be ended by a planted lock). The lock is released by Release, by destruction, and by the
// operating system when the process dies, so a crashed copy never blocks the next start.

#include <string>

namespace q9 {

enum class LockResult { Acquired, HeldElsewhere, Unavailable, Unsafe };

class SingleInstanceLock {
 public:
  virtual ~SingleInstanceLock() = default;
  virtual LockResult TryAcquire(const std::string& name) = 0;
  virtual void Release() = 0;
  /// Why the last TryAcquire answered Unsafe.
  virtual std::string LastError() const { return {}; }
};

}  // namespace q9
