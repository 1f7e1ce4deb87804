#include "platform/posix/PosixSingleInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix/PosixUserFolders.h"

namespace q9 {

PosixSingleInstanceLock::PosixSingleInstanceLock(std::filesystem::path runtimeFolder)
    : runtimeFolder_(std::move(runtimeFolder)) {}

PosixSingleInstanceLock::~PosixSingleInstanceLock() { Release(); }

std::filesystem::path PosixSingleInstanceLock::LockFile(const std::string& name) const {
  return (runtimeFolder_.empty() ? UserRuntimeFolder() : runtimeFolder_) / (name + ".lock");
}

LockResult PosixSingleInstanceLock::TryAcquire(const std::string& name) {
  if (fd_ >= 0) return LockResult::Acquired;
  lastError_.clear();
  // In the shared /tmp another user could create the lock first and so keep the program from
  // starting: the fallback folder is the user's own, and is checked before it is trusted.
  if (runtimeFolder_.empty() && XdgRuntimeFolder().empty() && !EnsurePrivateFolder(UserRuntimeFolder(), lastError_))
    return LockResult::Unsafe;
  const std::filesystem::path file = LockFile(name);
  // O_CLOEXEC: programs this one starts must not inherit (and so keep) the lock.
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return LockResult::Unavailable;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return held ? LockResult::HeldElsewhere : LockResult::Unavailable;
  }
  fd_ = fd;
  return LockResult::Acquired;
}

void PosixSingleInstanceLock::Release() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace q9
