#pragma once
// The driver as a Unix stream socket in the device folder, named after the device.

#include <filesystem>

#include "platform/DriverTransport.h"

namespace q9 {

class PosixDriverTransport : public DriverTransport {
 public:
  /// An empty folder means DefaultDeviceFolder().
  explicit PosixDriverTransport(std::filesystem::path deviceFolder = {}, int replyTimeoutMs = 5000);

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
};

}  // namespace q9
