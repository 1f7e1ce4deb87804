#pragma once
// Arrival and removal of HID-class devices (and of the driver's device), delivered on the GUI
// thread through the scheduler.
//
// Contract: after Start the handlers run for every device of the class that arrives or goes away
// (not only the mouse); they run on the scheduler's thread, never inside Start. Start reports
// false when no source of notifications could be opened at all. Stop ends the delivery; after it
// returns no handler runs.

#include <functional>

namespace q9 {

class DeviceNotifications {
 public:
  virtual ~DeviceNotifications() = default;
  virtual bool Start(std::function<void()> onArrival, std::function<void()> onRemoval) = 0;
  virtual void Stop() = 0;
};

}  // namespace q9
