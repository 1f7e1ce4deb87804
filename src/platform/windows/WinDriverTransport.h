#pragma once
// The filter driver's device "\\.\<name>", driven with DeviceIoControl.

#include "platform/DriverTransport.h"

namespace q9 {

class WinDriverTransport : public DriverTransport {
 public:
  std::unique_ptr<DriverConnection> Open(const std::string& deviceName, bool overlapped) override;
  /// A named mutex per device, in the global namespace where the user may create one there.
  DeviceLockResult TryLockDevice(const std::string& deviceName, std::unique_ptr<DeviceLease>& lease) override;
};

}  // namespace q9
