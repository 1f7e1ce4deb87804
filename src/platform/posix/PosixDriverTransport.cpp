#include "platform/posix/PosixDriverTransport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "platform/DriverSocketProtocol.h"
#include "platform/posix/PosixUserFolders.h"

namespace q9 {

// The driver's socket is shared by every user of the mouse, so without a runtime folder it stays
// in /tmp; a relative XDG_RUNTIME_DIR is ignored, as the XDG rules say.
std::filesystem::path DefaultDeviceFolder() {
  if (const char* value = std::getenv("Q9_DEVICE_DIR"); value && *value) return value;
  if (auto runtime = XdgRuntimeFolder(); !runtime.empty()) return runtime;
  return "/tmp";
}

namespace {

using Clock = std::chrono::steady_clock;

// A point in time by which an operation must be done; "never" for the monitoring reads.
class Deadline {
 public:
  static Deadline Never() { return Deadline(); }
  static Deadline In(int milliseconds) { return Deadline(Clock::now() + std::chrono::milliseconds(milliseconds)); }
  /// What poll() takes: -1 without a deadline, else the milliseconds left (0 once it has passed).
  int PollTimeout() const {
    if (!at_) return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*at_ - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 60'000));
  }
  bool Passed() const { return at_ && Clock::now() >= *at_; }

 private:
  Deadline() = default;
  explicit Deadline(Clock::time_point at) : at_(at) {}
  std::optional<Clock::time_point> at_;
};

// Connects without blocking past the time-out. A listener whose backlog is full makes a
// non-blocking connect fail with EAGAIN at once, so that is retried until the time-out; a socket
// nobody listens on fails at once. The socket stays non-blocking.
int ConnectTo(const std::filesystem::path& path, int timeoutMs) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string text = path.string();
  if (text.size() >= sizeof address.sun_path) return -1;
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
  const Deadline deadline = Deadline::In(timeoutMs);
  for (;;) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
    const int error = errno;
    if (error == EINPROGRESS || error == EINTR) {
      pollfd p{fd, POLLOUT, 0};
      int soError = 0;
      socklen_t length = sizeof soError;
      if (::poll(&p, 1, deadline.PollTimeout()) == 1 &&
          ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length) == 0 && soError == 0)
        return fd;
      ::close(fd);
      return -1;
    }
    ::close(fd);
    if (error != EAGAIN || deadline.Passed()) return -1;
    ::usleep(static_cast<useconds_t>(std::min(deadline.PollTimeout(), 10) * 1000));
  }
}

// A connection to the socket's path: each call is one socket connection (a request and its reply),
// as every frame opens and closes the device.
class SocketConnection : public DriverConnection {
 public:
  SocketConnection(std::filesystem::path path, int openedFd, int connectTimeoutMs, int replyTimeoutMs)
      : path_(std::move(path)), openedFd_(openedFd), connectTimeoutMs_(connectTimeoutMs), replyTimeoutMs_(replyTimeoutMs) {
    if (::pipe2(cancelPipe_, O_CLOEXEC | O_NONBLOCK) != 0) cancelPipe_[0] = cancelPipe_[1] = -1;
  }
  ~SocketConnection() override {
    if (openedFd_ >= 0) ::close(openedFd_);
    for (int fd : cancelPipe_)
      if (fd >= 0) ::close(fd);
  }

  // One deadline for the whole exchange: a peer that reads slowly or trickles its reply byte by
  // byte does not get more time than one that says nothing.
  std::uint32_t Control(std::uint32_t code, std::uint8_t* buffer, std::uint32_t count) override {
    std::uint32_t received = 0;
    return Exchange(code, buffer, count, buffer, count, received, Deadline::In(replyTimeoutMs_));
  }

  std::uint32_t Read(std::uint32_t code, const std::uint8_t* in, std::uint32_t inLength, std::uint8_t* out,
                     std::uint32_t outLength, std::uint32_t& bytesRead) override {
    return Exchange(code, in, inLength, out, outLength, bytesRead, Deadline::Never());
  }

  void Cancel() override {
    cancelled_ = true;
    const char byte = 1;
    if (cancelPipe_[1] >= 0) [[maybe_unused]] auto n = ::write(cancelPipe_[1], &byte, 1);
  }

 private:
  // Waits until fd is ready for `events`; false on time-out, cancel or error (status says which).
  bool WaitFor(int fd, short events, const Deadline& deadline, std::uint32_t& status) {
    pollfd fds[2] = {{fd, events, 0}, {cancelPipe_[0], POLLIN, 0}};
    for (;;) {
      const int n = ::poll(fds, cancelPipe_[0] >= 0 ? 2 : 1, deadline.PollTimeout());
      if (n < 0 && errno == EINTR) continue;
      if (n == 0) status = kErrorSemTimeout;
      else if (n < 0) status = kErrorDeviceNotConnected;
      else if (fds[1].revents) status = kErrorOperationAborted;
      else return true;
      return false;
    }
  }

  std::uint32_t SendAll(int fd, const std::uint8_t* data, std::size_t size, const Deadline& deadline) {
    while (size) {
      std::uint32_t status = 0;
      if (!WaitFor(fd, POLLOUT, deadline, status)) return status;
      const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0) return kErrorDeviceNotConnected;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return kErrorSuccess;
  }

  std::uint32_t ReceiveAll(int fd, std::uint8_t* data, std::size_t size, const Deadline& deadline) {
    while (size) {
      std::uint32_t status = 0;
      if (!WaitFor(fd, POLLIN, deadline, status)) return status;
      const ssize_t n = ::recv(fd, data, size, 0);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0) return kErrorDeviceNotConnected;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return kErrorSuccess;
  }

  std::uint32_t Exchange(std::uint32_t code, const std::uint8_t* in, std::uint32_t inLength, std::uint8_t* out,
                         std::uint32_t outLength, std::uint32_t& received, const Deadline& deadline) {
    received = 0;
    if (cancelled_) return kErrorOperationAborted;
    // The connection made when the device was opened carries the first call.
    const int fd = openedFd_ >= 0 ? std::exchange(openedFd_, -1) : ConnectTo(path_, connectTimeoutMs_);
    if (fd < 0) return kErrorDeviceNotConnected;
    const std::uint32_t status = ExchangeOn(fd, code, in, inLength, out, outLength, received, deadline);
    ::close(fd);
    return status;
  }

  std::uint32_t ExchangeOn(int fd, std::uint32_t code, const std::uint8_t* in, std::uint32_t inLength,
                           std::uint8_t* out, std::uint32_t outLength, std::uint32_t& received,
                           const Deadline& deadline) {
    const auto header = EncodeHeader({code, inLength});
    if (const auto status = SendAll(fd, header.data(), header.size(), deadline)) return status;
    if (const auto status = SendAll(fd, in, inLength, deadline)) return status;
    DriverReplyReader reply;
    for (auto space = reply.Space(); !space.empty(); space = reply.Space()) {
      if (const auto status = ReceiveAll(fd, space.data(), space.size(), deadline)) return status;
      reply.Received(space.size());
    }
    return reply.Finish(out, outLength, received);
  }

  std::filesystem::path path_;
  int openedFd_;
  int connectTimeoutMs_;
  int replyTimeoutMs_;
  int cancelPipe_[2] = {-1, -1};
  std::atomic<bool> cancelled_{false};
};

}  // namespace

PosixDriverTransport::PosixDriverTransport(std::filesystem::path deviceFolder, int replyTimeoutMs, int connectTimeoutMs)
    : deviceFolder_(std::move(deviceFolder)), replyTimeoutMs_(replyTimeoutMs), connectTimeoutMs_(connectTimeoutMs) {}

std::filesystem::path PosixDriverTransport::SocketPath(const std::string& deviceName) const {
  return (deviceFolder_.empty() ? DefaultDeviceFolder() : deviceFolder_) / deviceName;
}

std::unique_ptr<DriverConnection> PosixDriverTransport::Open(const std::string& deviceName, bool) {
  if (deviceName.empty() || deviceName.find('/') != std::string::npos) return nullptr;
  const std::filesystem::path path = SocketPath(deviceName);
  // Opening succeeds only while somebody listens on the socket and takes the connection in time.
  const int fd = ConnectTo(path, connectTimeoutMs_);
  if (fd < 0) return nullptr;
  return std::make_unique<SocketConnection>(path, fd, connectTimeoutMs_, replyTimeoutMs_);
}

namespace {

class FlockLease : public DeviceLease {
 public:
  explicit FlockLease(int fd) : fd_(fd) {}
  ~FlockLease() override { ::close(fd_); }  // closing the last descriptor releases the flock
  FlockLease(const FlockLease&) = delete;
  FlockLease& operator=(const FlockLease&) = delete;

 private:
  int fd_;
};

// The lock file is shared by every user who reaches the device, so it is opened for reading only
// (enough for flock) and made readable by all whatever the umask. An existing file (perhaps another
// user's) is opened without O_CREAT, which a sticky folder's protection against planted files
// would refuse.
int OpenDeviceLockFile(const std::filesystem::path& file) {
  constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY;
  int fd = ::open(file.c_str(), kFlags | O_CREAT | O_EXCL, 0644);
  if (fd >= 0) {
    ::fchmod(fd, 0644);
    return fd;
  }
  return errno == EEXIST ? ::open(file.c_str(), kFlags) : -1;
}

}  // namespace

std::string PosixDriverTransport::DeviceLocation(const std::string& deviceName) const {
  return SocketPath(deviceName).string();
}

std::filesystem::path PosixDriverTransport::LockPath(const std::string& deviceName) const {
  return SocketPath(deviceName).string() + ".lock";
}

DeviceLockResult PosixDriverTransport::TryLockDevice(const std::string& deviceName, std::unique_ptr<DeviceLease>& lease) {
  lease.reset();
  if (deviceName.empty() || deviceName.find('/') != std::string::npos) return DeviceLockResult::Acquired;
  const int fd = OpenDeviceLockFile(LockPath(deviceName));
  if (fd < 0) return DeviceLockResult::Acquired;  // no lock can be made here: unguarded
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const bool busy = errno == EWOULDBLOCK;
    ::close(fd);
    return busy ? DeviceLockResult::Busy : DeviceLockResult::Acquired;
  }
  lease = std::make_unique<FlockLease>(fd);
  return DeviceLockResult::Acquired;
}

}  // namespace q9
