#pragma once
// The present HID-class devices with their hardware IDs (written in the Windows form
// "HID\VID_1234&PID_5678") and filter-driver lists.
//
// Contract: Enumerate fills `devices` and answers true, or answers false when the system cannot
// be asked at all; a device whose property cannot be read has an empty list for it.

#include <string>
#include <vector>

namespace q9 {

struct PresentDevice {
  std::vector<std::string> hardwareIds;
  std::vector<std::string> lowerFilters;
  std::vector<std::string> upperFilters;
  /// Names this device to the system again (the device instance ID on Windows, the sysfs path on Linux).
  std::string instanceId;
};

class DeviceSetup {
 public:
  virtual ~DeviceSetup() = default;
  virtual bool EnumeratePresentHidDevices(std::vector<PresentDevice>& devices) = 0;
};

/// "HID\VID_046D&PID_C52B" from a Linux HID_ID property ("0003:0000046D:0000C52B"); "" when malformed.
std::string HardwareIdOfHidId(const std::string& hidId);

}  // namespace q9
