#include "platform/posix/PosixStoreLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace q9 {

namespace {

constexpr int kRetryMs = 20;

void CloseLock(int& fd) {
  if (fd < 0) return;
  ::close(fd);  // closing the only descriptor releases its flock
  fd = -1;
}

// One non-blocking flock attempt: 0 taken, EWOULDBLOCK held elsewhere, another errno on failure.
int TryFlock(int fd, int operation) {
  while (::flock(fd, operation | LOCK_NB) != 0)
    if (errno != EINTR) return errno;
  return 0;
}

}  // namespace

PosixStoreLock::PosixStoreLock(std::filesystem::path storeFolder) : storeFolder_(std::move(storeFolder)) {}

PosixStoreLock::~PosixStoreLock() {
  ReleaseWindowMark();
  Unlock();
}

std::filesystem::path PosixStoreLock::StoreLockFile() const { return storeFolder_ / ".q9config-store.lock"; }

std::filesystem::path PosixStoreLock::WindowMarkFile() const { return storeFolder_ / ".q9config-window.lock"; }

std::string PosixStoreLock::StoreName() const { return storeFolder_.string(); }

// The store folder is made as the store itself would make it; a lock file another program made
// is opened for reading where it cannot be opened for writing (flock needs no write access).
int PosixStoreLock::OpenLockFile(const std::filesystem::path& file, std::string& error) const {
  std::error_code ec;
  std::filesystem::create_directories(storeFolder_, ec);
  constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NOCTTY;
  int fd = ::open(file.c_str(), O_RDWR | O_CREAT | kFlags, 0600);
  if (fd < 0 && (errno == EACCES || errno == EROFS)) fd = ::open(file.c_str(), O_RDONLY | kFlags);
  if (fd < 0) error = "cannot open " + file.string() + ": " + std::strerror(errno);
  return fd;
}

StoreLockResult PosixStoreLock::Lock(StoreLockMode mode, int waitMs, std::string& error) {
  Unlock();
  const int fd = OpenLockFile(StoreLockFile(), error);
  if (fd < 0) return StoreLockResult::Unavailable;
  const int operation = mode == StoreLockMode::Exclusive ? LOCK_EX : LOCK_SH;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    const int failure = TryFlock(fd, operation);
    if (failure == 0) {
      storeFd_ = fd;
      return StoreLockResult::Acquired;
    }
    if (failure != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
      ::close(fd);
      if (failure != EWOULDBLOCK) {
        error = "cannot lock " + StoreLockFile().string() + ": " + std::strerror(failure);
        return StoreLockResult::Unavailable;
      }
      return StoreLockResult::Busy;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMs));
  }
}

void PosixStoreLock::Unlock() { CloseLock(storeFd_); }

StoreLockResult PosixStoreLock::HoldWindowMark(std::string& error) {
  if (windowFd_ >= 0) return StoreLockResult::Acquired;
  const int fd = OpenLockFile(WindowMarkFile(), error);
  if (fd < 0) return StoreLockResult::Unavailable;
  const int failure = TryFlock(fd, LOCK_EX);
  if (failure != 0) {
    ::close(fd);
    if (failure == EWOULDBLOCK) return StoreLockResult::Busy;
    error = "cannot lock " + WindowMarkFile().string() + ": " + std::strerror(failure);
    return StoreLockResult::Unavailable;
  }
  windowFd_ = fd;
  return StoreLockResult::Acquired;
}

void PosixStoreLock::ReleaseWindowMark() { CloseLock(windowFd_); }

bool PosixStoreLock::WindowMarkHeldElsewhere() {
  if (windowFd_ >= 0) return false;  // this object is the holder
  const int fd = ::open(WindowMarkFile().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY);
  if (fd < 0) return false;  // no window has ever marked this store
  const bool held = TryFlock(fd, LOCK_SH) == EWOULDBLOCK;
  ::close(fd);
  return held;
}

}  // namespace q9
