#pragma once
// Serves a simulated mouse on the driver socket: one request and one reply per connection, as the
// POSIX driver transport speaks. Optionally logs every frame and keeps the memory image in a file.

#include <atomic>
#include <filesystem>
#include <string>

#include "SimulatedMouse.h"

namespace q9 {

struct SimServerOptions {
  std::filesystem::path deviceFolder;       ///< empty: DefaultDeviceFolder()
  std::string name = "usbglcs00001";        ///< the device name (socket file name)
  std::filesystem::path framesFile;         ///< every frame received is appended here, raw
  std::filesystem::path memoryFile;         ///< the memory image, rewritten after every frame
  int unplugAfter = -1;                     ///< remove the device after this many frames
};

class SimServer {
 public:
  SimServer(SimulatedMouse& mouse, SimServerOptions options);
  ~SimServer();
  SimServer(const SimServer&) = delete;
  SimServer& operator=(const SimServer&) = delete;

  /// Creates the socket (and loads the memory file when there is one); false with `error` set.
  bool Start(std::string& error);
  /// Answers requests until Stop() or until the mouse is unplugged; then removes the socket.
  void Run();
  /// Makes Run return soon; safe from any thread or a signal handler.
  void Stop() { stop_ = true; }

  std::filesystem::path SocketPath() const;

 private:
  void Serve(int client);
  void RecordFrame(std::span<const std::uint8_t> frame);
  void Close();

  SimulatedMouse& mouse_;
  SimServerOptions options_;
  int listener_ = -1;
  int framesFd_ = -1;
  std::atomic<bool> stop_{false};
};

}  // namespace q9
