#include "device/uiHIDEvent.h"

namespace q9 {

TuiHIDEvent::TuiHIDEvent(DeviceNotifications& notifications, Scheduler& scheduler)
    : notifications_(notifications), scheduler_(scheduler) {
  registered_ = notifications_.Start([this] { if (OnDeviceArrival) OnDeviceArrival(); },
                                     [this] { if (OnDeviceRemove) OnDeviceRemove(); });
  scheduler_.Post([this] { if (OnDeviceChange) OnDeviceChange(); });
  FTimerToStartMonitor = scheduler_.StartTimer(kStartupArrivalDelayMs, false, [this] {
    FTimerToStartMonitor = 0;
    if (OnDeviceArrival) OnDeviceArrival();
  });
}

TuiHIDEvent::~TuiHIDEvent() {
  notifications_.Stop();
  if (FTimerToStartMonitor) scheduler_.StopTimer(FTimerToStartMonitor);
}

}  // namespace q9
