#pragma once
// Present devices a test lists, and how often they were asked for.

#include <vector>

#include "platform/DeviceSetup.h"

namespace q9 {

class FakeDeviceSetup : public DeviceSetup {
 public:
  bool EnumeratePresentHidDevices(std::vector<PresentDevice>& found) override {
    ++enumerations;
    found.clear();
    if (!enumerationSucceeds) return false;
    found = devices;
    return true;
  }

  std::vector<PresentDevice> devices;
  bool enumerationSucceeds = true;
  int enumerations = 0;
};

}  // namespace q9
