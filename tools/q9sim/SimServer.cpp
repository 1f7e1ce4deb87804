#include "SimServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "platform/DriverSocketProtocol.h"

namespace q9 {

namespace {

constexpr int kClientTimeoutMs = 2000;

bool ReadExactly(int fd, std::uint8_t* data, std::size_t size) {
  while (size) {
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, kClientTimeoutMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t n = ::recv(fd, data, size, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

void WriteExactly(int fd, const std::uint8_t* data, std::size_t size) {
  while (size) {
    const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

// The memory file is replaced whole (temporary file, then rename), so a reader never sees half an
// image; it is not flushed to disk, which would slow every frame down.
void ReplaceFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
  const std::filesystem::path temporary = file.string() + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) return;
  }
  std::error_code ec;
  std::filesystem::rename(temporary, file, ec);
}

}  // namespace

SimServer::SimServer(SimulatedMouse& mouse, SimServerOptions options) : mouse_(mouse), options_(std::move(options)) {}

SimServer::~SimServer() { Close(); }

std::filesystem::path SimServer::SocketPath() const {
  return (options_.deviceFolder.empty() ? DefaultDeviceFolder() : options_.deviceFolder) / options_.name;
}

bool SimServer::Start(std::string& error) {
  const std::filesystem::path path = SocketPath();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (options_.name.empty() || options_.name.find('/') != std::string::npos || path.string().size() >= sizeof address.sun_path) {
    error = "unusable device name or folder: " + path.string();
    return false;
  }
  if (!options_.memoryFile.empty() && std::filesystem::exists(options_.memoryFile)) {
    std::ifstream in(options_.memoryFile, std::ios::binary);
    const std::vector<std::uint8_t> image((std::istreambuf_iterator<char>(in)), {});
    if (!mouse_.LoadImage(image)) {
      error = options_.memoryFile.string() + " is not a memory image of the mouse";
      return false;
    }
  }
  // A socket left by a simulator that died is replaced; any other file is left alone.
  struct stat existing {};
  if (::lstat(path.c_str(), &existing) == 0) {
    if (!S_ISSOCK(existing.st_mode)) {
      error = path.string() + " exists and is not a socket";
      return false;
    }
    ::unlink(path.c_str());
  }
  std::memcpy(address.sun_path, path.c_str(), path.string().size() + 1);
  listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 16) != 0) {
    error = "cannot listen on " + path.string() + ": " + std::strerror(errno);
    Close();
    return false;
  }
  if (!options_.framesFile.empty()) {
    framesFd_ = ::open(options_.framesFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (framesFd_ < 0) {
      error = "cannot open " + options_.framesFile.string() + ": " + std::strerror(errno);
      Close();
      return false;
    }
  }
  if (options_.unplugAfter >= 0) mouse_.UnplugAfter(options_.unplugAfter);
  mouse_.OnFrame = [this](std::span<const std::uint8_t> frame, std::uint32_t) { RecordFrame(frame); };
  return true;
}

void SimServer::RecordFrame(std::span<const std::uint8_t> frame) {
  if (framesFd_ >= 0) {
    std::size_t done = 0;
    while (done < frame.size()) {
      const ssize_t n = ::write(framesFd_, frame.data() + done, frame.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
  }
}

void SimServer::Serve(int client) {
  std::array<std::uint8_t, 8> headerBytes{};
  if (!ReadExactly(client, headerBytes.data(), headerBytes.size())) return;  // opened and closed: a presence test
  const DriverMessageHeader request = DecodeHeader(headerBytes);
  std::vector<std::uint8_t> body;
  std::uint32_t status = kErrorInvalidParameter;
  if (request.length <= kDriverMessageLimit) {
    body.resize(request.length);
    if (!ReadExactly(client, body.data(), body.size())) return;
    status = mouse_.HandleControl(request.first, body);
  }
  const auto reply = EncodeHeader({status, static_cast<std::uint32_t>(body.size())});
  WriteExactly(client, reply.data(), reply.size());
  WriteExactly(client, body.data(), body.size());
  if (!options_.memoryFile.empty()) ReplaceFile(options_.memoryFile, mouse_.SaveImage());
}

void SimServer::Run() {
  while (!stop_ && mouse_.Present()) {
    pollfd p{listener_, POLLIN, 0};
    const int ready = ::poll(&p, 1, 100);
    if (ready <= 0) continue;
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    Serve(client);
    ::close(client);
  }
  Close();
}

void SimServer::Close() {
  mouse_.OnFrame = nullptr;
  if (listener_ >= 0) {
    ::close(listener_);
    listener_ = -1;
    ::unlink(SocketPath().c_str());
  }
  if (framesFd_ >= 0) {
    ::close(framesFd_);
    framesFd_ = -1;
  }
}

}  // namespace q9
