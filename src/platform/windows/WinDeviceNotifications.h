#pragma once
// Device notifications with a hidden message window registered for the HID device-interface
// class (RegisterDeviceNotificationW); WM_DEVICECHANGE arrives on the thread that called Start.

#include "platform/DeviceNotifications.h"

namespace q9 {

class WinDeviceNotifications : public DeviceNotifications {
 public:
  WinDeviceNotifications() = default;
  ~WinDeviceNotifications() override;
  WinDeviceNotifications(const WinDeviceNotifications&) = delete;
  WinDeviceNotifications& operator=(const WinDeviceNotifications&) = delete;

  bool Start(std::function<void()> onArrival, std::function<void()> onRemoval) override;
  void Stop() override;

  struct Handlers {
    std::function<void()> arrival;
    std::function<void()> removal;
  };

 private:
  void* window_ = nullptr;
  void* registration_ = nullptr;
  Handlers handlers_;
};

}  // namespace q9
