#include "platform/posix/PosixSingleInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace q9 {

PosixSingleInstanceLock::PosixSingleInstanceLock(std::filesystem::path runtimeFolder)
    : runtimeFolder_(std::move(runtimeFolder)) {}

PosixSingleInstanceLock::~PosixSingleInstanceLock() { Release(); }

std::filesystem::path PosixSingleInstanceLock::LockFile(const std::string& name) const {
  if (!runtimeFolder_.empty()) return runtimeFolder_ / (name + ".lock");
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return std::filesystem::path(runtime) / (name + ".lock");
  return std::filesystem::path("/tmp") / (name + "-" + std::to_string(::getuid()) + ".lock");
}

LockResult PosixSingleInstanceLock::TryAcquire(const std::string& name) {
  if (fd_ >= 0) return LockResult::Acquired;
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
