#pragma once
// Device notifications on Linux: a libudev monitor of the "hid" subsystem, and the driver socket
// appearing in or leaving the device folder (inotify). A watcher thread posts every event to the
// scheduler, so the handlers run on the GUI thread; after Stop (or destruction) none of the work it
// posted runs any more, also work still queued.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/DeviceNotifications.h"
#include "platform/Scheduler.h"

struct udev;
struct udev_monitor;

namespace q9 {

class UdevDeviceNotifications : public DeviceNotifications {
 public:
  UdevDeviceNotifications(Scheduler& scheduler, std::filesystem::path deviceFolder, std::string deviceName);
  ~UdevDeviceNotifications() override;
  UdevDeviceNotifications(const UdevDeviceNotifications&) = delete;
  UdevDeviceNotifications& operator=(const UdevDeviceNotifications&) = delete;

  bool Start(std::function<void()> onArrival, std::function<void()> onRemoval) override;
  void Stop() override;

 private:
  /// `handler`, run only until the next Stop.
  std::function<void()> WhileDelivering(std::function<void()> handler) const;
  void Watch(std::function<void()> onArrival, std::function<void()> onRemoval);
  void HandleUdev(const std::function<void()>& onArrival, const std::function<void()>& onRemoval);
  void HandleInotify(const std::function<void()>& onArrival, const std::function<void()>& onRemoval);

  Scheduler& scheduler_;
  std::filesystem::path deviceFolder_;
  std::string deviceName_;
  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  int inotify_ = -1;
  int stopPipe_[2] = {-1, -1};
  std::shared_ptr<const bool> delivering_;  ///< lives from Start to Stop
  std::thread watcher_;
};

}  // namespace q9
