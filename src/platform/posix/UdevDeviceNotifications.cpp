#include "platform/posix/UdevDeviceNotifications.h"

#include <fcntl.h>
#include <libudev.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace q9 {

UdevDeviceNotifications::UdevDeviceNotifications(Scheduler& scheduler, std::filesystem::path deviceFolder,
                                                 std::string deviceName)
    : scheduler_(scheduler), deviceFolder_(std::move(deviceFolder)), deviceName_(std::move(deviceName)) {}

UdevDeviceNotifications::~UdevDeviceNotifications() { Stop(); }

bool UdevDeviceNotifications::Start(std::function<void()> onArrival, std::function<void()> onRemoval) {
  Stop();
  if (::pipe2(stopPipe_, O_CLOEXEC) != 0) return false;
  udev_ = udev_new();
  if (udev_) monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
  if (monitor_ && (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hid", nullptr) < 0 ||
                   udev_monitor_enable_receiving(monitor_) < 0)) {
    udev_monitor_unref(monitor_);
    monitor_ = nullptr;
  }
  inotify_ = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (inotify_ >= 0 && ::inotify_add_watch(inotify_, deviceFolder_.c_str(), IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM) < 0) {
    ::close(inotify_);
    inotify_ = -1;
  }
  if (!monitor_ && inotify_ < 0) {
    Stop();
    return false;
  }
  // The watcher posts work guarded by this start's token: work still queued when Stop has run (or
  // this object is gone) finds the token expired and does nothing.
  delivering_ = std::make_shared<const bool>(true);
  watcher_ = std::thread([this, onArrival = WhileDelivering(std::move(onArrival)),
                          onRemoval = WhileDelivering(std::move(onRemoval))] { Watch(onArrival, onRemoval); });
  return true;
}

std::function<void()> UdevDeviceNotifications::WhileDelivering(std::function<void()> handler) const {
  return [delivering = std::weak_ptr<const bool>(delivering_), handler = std::move(handler)] {
    if (!delivering.expired()) handler();
  };
}

void UdevDeviceNotifications::Watch(std::function<void()> onArrival, std::function<void()> onRemoval) {
  const int udevFd = monitor_ ? udev_monitor_get_fd(monitor_) : -1;
  for (;;) {
    pollfd fds[3] = {{stopPipe_[0], POLLIN, 0}, {udevFd, POLLIN, 0}, {inotify_, POLLIN, 0}};
    if (::poll(fds, 3, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents) return;
    if (fds[1].revents & POLLIN) HandleUdev(onArrival, onRemoval);
    if (fds[2].revents & POLLIN) HandleInotify(onArrival, onRemoval);
  }
}

void UdevDeviceNotifications::HandleUdev(const std::function<void()>& onArrival, const std::function<void()>& onRemoval) {
  udev_device* device = udev_monitor_receive_device(monitor_);
  if (!device) return;
  const char* action = udev_device_get_action(device);
  if (action && std::strcmp(action, "add") == 0) scheduler_.Post(onArrival);
  else if (action && std::strcmp(action, "remove") == 0) scheduler_.Post(onRemoval);
  udev_device_unref(device);
}

void UdevDeviceNotifications::HandleInotify(const std::function<void()>& onArrival,
                                            const std::function<void()>& onRemoval) {
  alignas(inotify_event) std::array<char, 4096> buffer{};
  for (;;) {
    const ssize_t n = ::read(inotify_, buffer.data(), buffer.size());
    if (n <= 0) return;
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->len == 0 || deviceName_ != event->name) continue;
      if (event->mask & (IN_CREATE | IN_MOVED_TO)) scheduler_.Post(onArrival);
      else if (event->mask & (IN_DELETE | IN_MOVED_FROM)) scheduler_.Post(onRemoval);
    }
  }
}

void UdevDeviceNotifications::Stop() {
  if (stopPipe_[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(stopPipe_[1], &byte, 1);
  }
  if (watcher_.joinable()) watcher_.join();
  delivering_.reset();
  if (monitor_) udev_monitor_unref(monitor_);
  if (udev_) udev_unref(udev_);
  monitor_ = nullptr;
  udev_ = nullptr;
  for (int* fd : {&inotify_, &stopPipe_[0], &stopPipe_[1]})
    if (*fd >= 0) {
      ::close(*fd);
      *fd = -1;
    }
}

}  // namespace q9
