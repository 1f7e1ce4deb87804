#pragma once
// The filter driver's device "\\.\<name>", driven with DeviceIoControl.

#include "platform/DriverTransport.h"

namespace q9 {

class WinDriverTransport : public DriverTransport {
 public:
  std::unique_ptr<DriverConnection> Open(const std::string& deviceName, bool overlapped) override;
};

}  // namespace q9
