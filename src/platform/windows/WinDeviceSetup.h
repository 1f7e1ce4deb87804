#pragma once
// The present devices of the HID setup class from the setup library, with their hardware IDs
// and lower and upper filter drivers.

#include "platform/DeviceSetup.h"

namespace q9 {

class WinDeviceSetup : public DeviceSetup {
 public:
  bool EnumeratePresentHidDevices(std::vector<PresentDevice>& devices) override;
};

}  // namespace q9
