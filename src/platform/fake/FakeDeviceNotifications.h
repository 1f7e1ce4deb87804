#pragma once

#include "platform/DeviceNotifications.h"

namespace q9 {

/// Notifications for tests: the test plugs devices in and out.
class FakeDeviceNotifications : public DeviceNotifications {
 public:
  bool Start(std::function<void()> onArrival, std::function<void()> onRemoval) override {
    arrival_ = std::move(onArrival);
    removal_ = std::move(onRemoval);
    return available;
  }
  void Stop() override { arrival_ = removal_ = nullptr; }
  void Arrive() {
    if (arrival_) arrival_();
  }
  void Remove() {
    if (removal_) removal_();
  }
  bool available = true;

 private:
  std::function<void()> arrival_, removal_;
};

}  // namespace q9
