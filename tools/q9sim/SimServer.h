#pragma once
// Serves a simulated mouse on the driver socket: one request and one reply per connection, as the
// POSIX driver transport speaks. Optionally logs every frame and keeps the memory image in a file.
//
// Clients are served side by side from one poll loop, each with its own deadline, so a client that
// sends half a request delays nobody else, and a reply held back by the reply delay holds back no
// other client's. The socket is removed at the end only while it is still
// the one this server made.

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "SimRequest.h"
#include "SimulatedMouse.h"

namespace q9 {

struct SimServerOptions {
  static constexpr int kNeverAnswer = -1;

  std::filesystem::path deviceFolder;       ///< empty: DefaultDeviceFolder()
  std::string name = "usbglcs00001";        ///< the device name (socket file name)
  std::filesystem::path framesFile;         ///< every whole frame received is appended here, raw
  std::filesystem::path memoryFile;         ///< the memory image, rewritten after every whole request
  int unplugAfter = -1;                     ///< remove the device after this many frames
  /// A client that has not sent its whole request by then gets 87 and is closed.
  int clientTimeoutMs = 2000;
  /// Every reply is held back this long after its request is whole (the mouse acts on the request
  /// at once; only its answer is late). kNeverAnswer: replies are never sent.
  int replyDelayMs = 0;
};

class SimServer {
 public:
  /// Clients served at once; more wait in the listen backlog.
  static constexpr std::size_t kMaxClients = 32;

  SimServer(SimulatedMouse& mouse, SimServerOptions options);
  ~SimServer();
  SimServer(const SimServer&) = delete;
  SimServer& operator=(const SimServer&) = delete;

  /// Creates the socket (and loads the memory file when there is one); false with `error` set.
  /// Refuses to start over a socket another server still answers on; a socket nobody answers on
  /// (left by a server that died) is replaced.
  bool Start(std::string& error);
  /// Answers requests until Stop() or until the mouse is unplugged; then removes the socket.
  void Run();
  /// Makes Run return soon; safe from any thread or a signal handler.
  void Stop() { stop_ = true; }

  std::filesystem::path SocketPath() const;

 private:
  using Clock = std::chrono::steady_clock;
  struct Client {
    int fd = -1;
    Clock::time_point deadline;
    SimRequestReader request;
    std::vector<std::uint8_t> reply;  ///< empty while the request is still being read
    Clock::time_point replyAt;        ///< when the reply may go (the reply delay)
    std::size_t replySent = 0;
    bool draining = false;  ///< answered; what the client still sends is read and dropped until it closes
    bool done = false;
  };

  void AcceptClients();
  void ReadFrom(Client& client);
  void Answer(Client& client);
  void WriteTo(Client& client);
  void Serve(Client& client, short events);
  bool ReplyHeld(const Client& client) const;
  int PollTimeoutMs() const;
  void Drain(Client& client);
  void RecordFrame(std::span<const std::uint8_t> frame);
  void CloseClients();
  void Close();

  SimulatedMouse& mouse_;
  SimServerOptions options_;
  int listener_ = -1;
  dev_t socketDevice_ = 0;
  ino_t socketInode_ = 0;
  int framesFd_ = -1;
  std::vector<Client> clients_;
  std::atomic<bool> stop_{false};
};

}  // namespace q9
