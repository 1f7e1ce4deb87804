#include "platform/posix/PosixWindowMessaging.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/posix/PosixUserFolders.h"

namespace q9 {

namespace {

constexpr std::uint32_t kMagic = 0x4D573951;  // "Q9WM"

struct Datagram {
  std::uint32_t magic;
  std::uint32_t message;
  std::uint64_t wParam;
  std::int64_t lParam;
  std::uint32_t wantsResult;
  std::uint32_t reserved;
};
static_assert(sizeof(Datagram) == kWindowDatagramSize);

bool AddressOf(const std::filesystem::path& path, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  const std::string text = path.string();
  if (text.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
  return true;
}

bool IsPlainClassName(const std::string& name) {
  return !name.empty() && name.find_first_of("/\\") == std::string::npos && name != "." && name != "..";
}

}  // namespace

std::array<std::uint8_t, kWindowDatagramSize> EncodeWindowDatagram(const WindowMessage& message, bool wantsResult) {
  const Datagram datagram{kMagic, message.message, message.wParam, static_cast<std::int64_t>(message.lParam),
                          wantsResult ? 1u : 0u, 0};
  std::array<std::uint8_t, kWindowDatagramSize> bytes{};
  std::memcpy(bytes.data(), &datagram, sizeof datagram);
  return bytes;
}

std::optional<ReceivedWindowMessage> DecodeWindowDatagram(std::span<const std::uint8_t> bytes) {
  Datagram datagram{};
  if (bytes.size() != sizeof datagram) return std::nullopt;
  std::memcpy(&datagram, bytes.data(), sizeof datagram);
  if (datagram.magic != kMagic) return std::nullopt;  // not one of ours
  return ReceivedWindowMessage{{datagram.message, static_cast<std::uintptr_t>(datagram.wParam),
                                static_cast<std::intptr_t>(datagram.lParam)},
                               datagram.wantsResult != 0};
}

PosixWindowMessaging::PosixWindowMessaging(std::filesystem::path runtimeFolder, int sendTimeoutMs)
    : runtimeFolder_(std::move(runtimeFolder)), sendTimeoutMs_(sendTimeoutMs) {}

PosixWindowMessaging::~PosixWindowMessaging() { StopListening(); }

std::filesystem::path PosixWindowMessaging::SocketPath(const std::string& className) const {
  if (!runtimeFolder_.empty()) return runtimeFolder_ / ("q9-window-" + className);
  if (const auto runtime = XdgRuntimeFolder(); !runtime.empty()) return runtime / ("q9-window-" + className);
  return std::filesystem::path("/tmp") / ("q9-window-" + className + "-" + std::to_string(::getuid()));
}

bool PosixWindowMessaging::FindWindowOfClass(const std::string& className) {
  sockaddr_un address{};
  if (!IsPlainClassName(className) || !AddressOf(SocketPath(className), address)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  // Connecting a datagram socket succeeds only while somebody is bound to the name.
  const bool found = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return found;
}

bool PosixWindowMessaging::Post(const std::string& className, const WindowMessage& message) {
  sockaddr_un address{};
  if (!IsPlainClassName(className) || !AddressOf(SocketPath(className), address)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const auto datagram = EncodeWindowDatagram(message, false);
  const bool sent = ::sendto(fd, datagram.data(), datagram.size(), MSG_DONTWAIT,
                             reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
                    static_cast<ssize_t>(datagram.size());
  ::close(fd);
  return sent;
}

bool PosixWindowMessaging::Send(const std::string& className, const WindowMessage& message, std::intptr_t& result) {
  result = 0;
  sockaddr_un address{};
  if (!IsPlainClassName(className) || !AddressOf(SocketPath(className), address)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  // An address of only the family binds the socket to a fresh abstract name the receiver answers to.
  sockaddr_un self{};
  self.sun_family = AF_UNIX;
  const auto datagram = EncodeWindowDatagram(message, true);
  bool answered = false;
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&self), sizeof(sa_family_t)) == 0 &&
      ::sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
          static_cast<ssize_t>(datagram.size())) {
    pollfd p{fd, POLLIN, 0};
    std::int64_t reply = 0;
    if (::poll(&p, 1, sendTimeoutMs_) == 1 && ::recv(fd, &reply, sizeof reply, 0) == sizeof reply) {
      result = static_cast<std::intptr_t>(reply);
      answered = true;
    }
  }
  ::close(fd);
  return answered;
}

bool PosixWindowMessaging::Listen(const std::string& className, const std::string&, Handler handler, Dispatch dispatch) {
  StopListening();
  sockaddr_un address{};
  const std::filesystem::path path = SocketPath(className);
  if (!IsPlainClassName(className) || !AddressOf(path, address)) return false;
  struct stat existing {};
  if (::lstat(path.c_str(), &existing) == 0) {
    if (!S_ISSOCK(existing.st_mode) || FindWindowOfClass(className)) return false;  // another window owns the name
    ::unlink(path.c_str());
  }
  listener_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::pipe2(stopPipe_, O_CLOEXEC) != 0) {
    StopListening();
    return false;
  }
  listeningPath_ = path;
  receiver_ = std::thread([this, handler = std::move(handler), dispatch = std::move(dispatch)] { Receive(handler, dispatch); });
  return true;
}

void PosixWindowMessaging::Receive(Handler handler, Dispatch dispatch) {
  for (;;) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    std::array<std::uint8_t, kWindowDatagramSize> bytes{};
    sockaddr_un from{};
    socklen_t fromLength = sizeof from;
    const ssize_t n = ::recvfrom(listener_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n < 0) continue;
    const auto received = DecodeWindowDatagram(std::span(bytes).first(static_cast<std::size_t>(n)));
    if (!received) continue;
    const WindowMessage& message = received->message;
    const std::intptr_t result = dispatch ? dispatch([&] { return handler(message); }) : handler(message);
    if (received->wantsResult && fromLength > sizeof(sa_family_t)) {
      const std::int64_t reply = result;
      ::sendto(listener_, &reply, sizeof reply, MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&from), fromLength);
    }
  }
}

void PosixWindowMessaging::StopListening() {
  if (stopPipe_[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(stopPipe_[1], &byte, 1);
  }
  if (receiver_.joinable()) receiver_.join();
  for (int* fd : {&listener_, &stopPipe_[0], &stopPipe_[1]})
    if (*fd >= 0) {
      ::close(*fd);
      *fd = -1;
    }
  if (!listeningPath_.empty()) {
    ::unlink(listeningPath_.c_str());
    listeningPath_.clear();
  }
}

}  // namespace q9
