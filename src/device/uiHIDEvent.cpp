#include "device/uiHIDEvent.h"

namespace q9 {

TuiHIDEvent::TuiHIDEvent(DeviceNotifications& notifications, Scheduler& scheduler)
    : notifications_(notifications), scheduler_(scheduler) {
  registered_ = notifications_.Start(WhileAlive([this] { if (OnDeviceArrival) OnDeviceArrival(); }),
                                     WhileAlive([this] { if (OnDeviceRemove) OnDeviceRemove(); }));
  scheduler_.Post(WhileAlive([this] { if (OnDeviceChange) OnDeviceChange(); }));
  FTimerToStartMonitor = scheduler_.StartTimer(kStartupArrivalDelayMs, false, [this] {
    FTimerToStartMonitor = 0;
    if (OnDeviceArrival) OnDeviceArrival();
  });
}

TuiHIDEvent::~TuiHIDEvent() {
  alive_.reset();
  notifications_.Stop();
  if (FTimerToStartMonitor) scheduler_.StopTimer(FTimerToStartMonitor);
}

std::function<void()> TuiHIDEvent::WhileAlive(std::function<void()> work) const {
  return [alive = std::weak_ptr<const bool>(alive_), work = std::move(work)] {
    if (!alive.expired()) work();
  };
}

}  // namespace q9
