#pragma once
// TuiHIDEvent: tells its owner that a HID-class device arrived or went away. At creation it
// posts itself a device-change notice and starts a one-shot 1500 ms timer that raises an arrival,
// so the owner receives one arrival shortly after start whether or not a device came.
//
// Work it hands out (the posted notice, the handlers given to the notifications) holds a token of
// the component's life: once the component is gone, such work that is still queued does nothing.

#include <functional>
#include <memory>

#include "platform/DeviceNotifications.h"
#include "platform/Scheduler.h"

namespace q9 {

class TuiHIDEvent {
 public:
  static constexpr int kStartupArrivalDelayMs = 1500;
  /// The HID device-interface class the component watches.
  static constexpr const char* kHidInterfaceGuid = "{4d1e55b2-f16f-11cf-88cb-001111000030}";

  TuiHIDEvent(DeviceNotifications& notifications, Scheduler& scheduler);
  ~TuiHIDEvent();
  TuiHIDEvent(const TuiHIDEvent&) = delete;
  TuiHIDEvent& operator=(const TuiHIDEvent&) = delete;

  /// False when no notifications could be registered (only the start-up notices then come).
  bool Registered() const { return registered_; }

  std::function<void()> OnDeviceArrival;
  std::function<void()> OnDeviceRemove;
  std::function<void()> OnDeviceChange;

 private:
  /// `work`, run only while this component exists.
  std::function<void()> WhileAlive(std::function<void()> work) const;

  std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
  DeviceNotifications& notifications_;
  Scheduler& scheduler_;
  Scheduler::TimerId FTimerToStartMonitor = 0;
  bool registered_ = false;
};

}  // namespace q9
