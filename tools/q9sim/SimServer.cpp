#include "SimServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <utility>

#include "platform/DriverSocketProtocol.h"
#include "protocol/CommandFrame.h"

namespace q9 {

namespace {

bool AddressOf(const std::filesystem::path& path, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  if (path.string().size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.string().size() + 1);
  return true;
}

enum class Listening { Nobody, Somebody, Unknown };

// Whether a server answers on the socket: a connection is taken (or the backlog is full) when one
// does; it is refused when the socket is left over from a server that is gone.
Listening WhoListens(const sockaddr_un& address, int& error) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    error = errno;
    return Listening::Unknown;
  }
  const int result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  error = result == 0 ? 0 : errno;
  ::close(fd);
  if (result == 0 || error == EAGAIN || error == EINPROGRESS) return Listening::Somebody;
  if (error == ECONNREFUSED || error == ENOENT) return Listening::Nobody;
  return Listening::Unknown;
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

SimServer::~SimServer() {
  CloseClients();
  Close();
}

std::filesystem::path SimServer::SocketPath() const {
  return (options_.deviceFolder.empty() ? DefaultDeviceFolder() : options_.deviceFolder) / options_.name;
}

bool SimServer::Start(std::string& error) {
  const std::filesystem::path path = SocketPath();
  sockaddr_un address{};
  if (options_.name.empty() || options_.name.find('/') != std::string::npos || !AddressOf(path, address)) {
    error = "unusable device name or folder: " + path.string();
    return false;
  }
  std::error_code ec;
  if (!options_.memoryFile.empty() && std::filesystem::symlink_status(options_.memoryFile, ec).type() !=
                                          std::filesystem::file_type::not_found) {
    std::vector<std::uint8_t> image;
    if (!ReadMemoryImageFile(options_.memoryFile, image, error)) return false;
    mouse_.LoadImage(image);
  }
  // A socket left by a simulator that died is replaced; a live one and any other file are left alone.
  struct stat existing {};
  if (::lstat(path.c_str(), &existing) == 0) {
    if (!S_ISSOCK(existing.st_mode)) {
      error = path.string() + " exists and is not a socket";
      return false;
    }
    int connectError = 0;
    switch (WhoListens(address, connectError)) {
      case Listening::Somebody:
        error = "another server is answering on " + path.string() + "; stop it first";
        return false;
      case Listening::Unknown:
        error = "cannot tell whether a server is answering on " + path.string() + ": " + std::strerror(connectError);
        return false;
      case Listening::Nobody:
        ::unlink(path.c_str());
        break;
    }
  }
  listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    error = "cannot listen on " + path.string() + ": " + std::strerror(errno);
    if (listener_ >= 0) ::close(std::exchange(listener_, -1));
    return false;
  }
  struct stat bound {};
  if (::lstat(path.c_str(), &bound) != 0 || ::listen(listener_, 64) != 0) {
    error = "cannot listen on " + path.string() + ": " + std::strerror(errno);
    ::close(std::exchange(listener_, -1));
    return false;
  }
  socketDevice_ = bound.st_dev;
  socketInode_ = bound.st_ino;
  if (!options_.framesFile.empty()) {
    framesFd_ = ::open(options_.framesFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (framesFd_ < 0) {
      error = "cannot open " + options_.framesFile.string() + ": " + std::strerror(errno);
      Close();
      return false;
    }
  }
  if (options_.unplugAfter >= 0) mouse_.UnplugAfter(options_.unplugAfter);
  return true;
}

void SimServer::RecordFrame(std::span<const std::uint8_t> frame) {
  if (framesFd_ < 0) return;
  std::size_t done = 0;
  while (done < frame.size()) {
    const ssize_t n = ::write(framesFd_, frame.data() + done, frame.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
}

void SimServer::AcceptClients() {
  while (clients_.size() < kMaxClients) {
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return;
    Client client;
    client.fd = fd;
    client.deadline = Clock::now() + std::chrono::milliseconds(options_.clientTimeoutMs);
    clients_.push_back(std::move(client));
  }
}

void SimServer::ReadFrom(Client& client) {
  std::uint8_t buffer[4096];
  const ssize_t n = ::recv(client.fd, buffer, sizeof buffer, 0);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
  if (n <= 0) {
    // Gone before the request was whole: a presence test when nothing came, else a cut-short request.
    if (client.request.Started()) Answer(client);
    client.done = true;
    return;
  }
  const std::span<const std::uint8_t> data(buffer, static_cast<std::size_t>(n));
  // Bytes after a whole request are not part of it; one request per connection.
  client.request.Feed(data);
  if (client.request.state() != SimRequestReader::State::Incomplete) Answer(client);
}

void SimServer::Answer(Client& client) {
  const bool whole = client.request.state() == SimRequestReader::State::Complete;
  SimReply reply = AnswerRequest(mouse_, client.request);
  if (reply.frameReceived) RecordFrame(client.request.body());
  if (whole && !options_.memoryFile.empty()) ReplaceFile(options_.memoryFile, mouse_.SaveImage());
  client.reply = std::move(reply.bytes);
  // A refused request is answered at once: it never reached the mouse.
  if (options_.replyDelayMs != 0 && whole) {
    const auto delay = std::chrono::milliseconds(std::max(options_.replyDelayMs, 0));
    client.replyAt = Clock::now() + delay;
    client.deadline = client.replyAt + std::chrono::milliseconds(options_.clientTimeoutMs);
    return;
  }
  WriteTo(client);  // a reply fits the socket's buffer, so it nearly always goes at once
}

bool SimServer::ReplyHeld(const Client& client) const {
  if (client.reply.empty() || client.draining || client.replySent > 0) return false;
  return options_.replyDelayMs == SimServerOptions::kNeverAnswer || Clock::now() < client.replyAt;
}

void SimServer::WriteTo(Client& client) {
  while (client.replySent < client.reply.size()) {
    const ssize_t n =
        ::send(client.fd, client.reply.data() + client.replySent, client.reply.size() - client.replySent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return;
    if (n <= 0) break;
    client.replySent += static_cast<std::size_t>(n);
  }
  // A refused request may still be arriving: closing with unread bytes would reset the connection
  // and the client could lose the reply, so its rest is read and dropped until it closes.
  if (client.request.state() == SimRequestReader::State::Refused && client.replySent == client.reply.size()) {
    ::shutdown(client.fd, SHUT_WR);
    client.draining = true;
    return;
  }
  client.done = true;
}

void SimServer::Drain(Client& client) {
  std::uint8_t buffer[4096];
  const ssize_t n = ::recv(client.fd, buffer, sizeof buffer, 0);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
  if (n <= 0) client.done = true;
}

// A held reply waits for its time, not for the socket: only a hang-up ends it early.
void SimServer::Serve(Client& client, short events) {
  if (ReplyHeld(client)) {
    if (events & (POLLHUP | POLLERR)) client.done = true;
  } else if (client.draining) {
    if (events) Drain(client);
  } else if (client.reply.empty()) {
    if (events) ReadFrom(client);
  } else if (events) {
    WriteTo(client);
  }
  const bool neverAnswered = ReplyHeld(client) && options_.replyDelayMs == SimServerOptions::kNeverAnswer;
  if (!client.done && !neverAnswered && Clock::now() >= client.deadline) {
    if (client.reply.empty() && client.request.Started()) Answer(client);
    client.done = !ReplyHeld(client);
  }
}

// Until the next deadline or held reply falls due, at most 100 ms (so Stop is seen soon).
int SimServer::PollTimeoutMs() const {
  int timeoutMs = 100;
  const Clock::time_point now = Clock::now();
  for (const Client& client : clients_) {
    const bool waitsForReply = ReplyHeld(client);
    if (waitsForReply && options_.replyDelayMs == SimServerOptions::kNeverAnswer) continue;
    const Clock::time_point due = waitsForReply ? client.replyAt : client.deadline;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - now).count();
    timeoutMs = static_cast<int>(std::clamp<long long>(left, 0, timeoutMs));
  }
  return timeoutMs;
}

void SimServer::Run() {
  std::vector<pollfd> fds;
  while (!stop_ && mouse_.Present()) {
    fds.clear();
    fds.push_back({listener_, static_cast<short>(clients_.size() < kMaxClients ? POLLIN : 0), 0});
    for (const Client& client : clients_) {
      short events = client.reply.empty() || client.draining ? POLLIN : POLLOUT;
      if (ReplyHeld(client)) events = 0;  // hang-ups are reported all the same
      fds.push_back({client.fd, events, 0});
    }
    if (::poll(fds.data(), fds.size(), PollTimeoutMs()) < 0 && errno != EINTR) break;
    for (std::size_t i = 0; i < clients_.size() && mouse_.Present(); ++i) {
      Client& client = clients_[i];
      // A held reply that has fallen due goes now, whatever poll said.
      const bool due = !client.reply.empty() && !client.draining && !ReplyHeld(client);
      Serve(client, static_cast<short>(fds[i + 1].revents | (due ? POLLOUT : 0)));
    }
    std::erase_if(clients_, [](const Client& client) {
      if (client.done) ::close(client.fd);
      return client.done;
    });
    if (fds[0].revents) AcceptClients();
  }
  CloseClients();
  Close();
}

void SimServer::CloseClients() {
  for (const Client& client : clients_) ::close(client.fd);
  clients_.clear();
}

void SimServer::Close() {
  if (listener_ >= 0) {
    // Another server may have replaced the socket this one made; that one stays. The bound
    // listener keeps its socket file's inode in use, so the number cannot have been reused yet.
    struct stat current {};
    const std::filesystem::path path = SocketPath();
    if (::lstat(path.c_str(), &current) == 0 && S_ISSOCK(current.st_mode) && current.st_dev == socketDevice_ &&
        current.st_ino == socketInode_)
      ::unlink(path.c_str());
    ::close(std::exchange(listener_, -1));
  }
  if (framesFd_ >= 0) {
    ::close(framesFd_);
    framesFd_ = -1;
  }
}

}  // namespace q9
