#pragma once
// The driver as a Unix stream socket in the device folder, named after the device.
//
// Nothing here waits without bound: connecting gives up after the connect time-out (a listener
// that never takes the connection counts as no mouse), and a control call fails with
// kErrorSemTimeout when its whole reply has not arrived by one deadline set when the call starts.

#include <filesystem>

#include "platform/DriverTransport.h"

namespace q9 {

class PosixDriverTransport : public DriverTransport {
 public:
  /// A driver answers a frame within milliseconds; a second without an answer means it will not.
  static constexpr int kDefaultReplyTimeoutMs = 1000;
  /// Short enough that a presence check never stalls the window noticeably.
  static constexpr int kDefaultConnectTimeoutMs = 250;

  /// An empty folder means DefaultDeviceFolder().
  explicit PosixDriverTransport(std::filesystem::path deviceFolder = {}, int replyTimeoutMs = kDefaultReplyTimeoutMs,
                                int connectTimeoutMs = kDefaultConnectTimeoutMs);

  std::unique_ptr<DriverConnection> Open(const std::string& deviceName, bool overlapped) override;

  std::filesystem::path SocketPath(const std::string& deviceName) const;
  /// The socket's path.
  std::string DeviceLocation(const std::string& deviceName) const override;
  /// An flock on "<device folder>/<device name>.lock", shared by every user of the device.
  DeviceLockResult TryLockDevice(const std::string& deviceName, std::unique_ptr<DeviceLease>& lease) override;
  std::filesystem::path LockPath(const std::string& deviceName) const;

 private:
  std::filesystem::path deviceFolder_;
  int replyTimeoutMs_;
  int connectTimeoutMs_;
};

}  // namespace q9
