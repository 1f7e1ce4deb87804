#pragma once
// The present HID devices from libudev; each device's HID_ID becomes its hardware ID in the
// Windows form. There are no filter drivers here.

#include "platform/DeviceSetup.h"

namespace q9 {

class UdevDeviceSetup : public DeviceSetup {
 public:
  bool EnumeratePresentHidDevices(std::vector<PresentDevice>& devices) override;
};

}  // namespace q9
