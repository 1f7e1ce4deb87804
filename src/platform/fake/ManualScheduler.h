#pragma once
// A scheduler on a manual clock: time moves only with Advance, posted work runs with RunPosted.
// Also the scheduler of q9ctl, where no timer ever needs to fire.

#include <map>
#include <mutex>
#include <vector>

#include "platform/Scheduler.h"

namespace q9 {

class ManualScheduler : public Scheduler {
 public:
  TimerId StartTimer(int intervalMs, bool repeating, std::function<void()> tick) override;
  void StopTimer(TimerId id) override;
  void Post(std::function<void()> work) override;

  /// Moves the clock on, firing every timer that falls due in time order.
  void Advance(int ms);
  /// Runs the work posted so far (and work posted by it), on the calling thread.
  void RunPosted();
  std::size_t PostedCount();
  int Now() const { return now_; }
  bool IsRunning(TimerId id) const { return timers_.count(id) != 0; }
  std::size_t RunningTimers() const { return timers_.size(); }

 private:
  struct Timer {
    int interval;
    bool repeating;
    int due;
    std::function<void()> tick;
  };
  std::map<TimerId, Timer> timers_;
  std::mutex postedMutex_;
  std::vector<std::function<void()>> posted_;
  TimerId next_ = 1;
  int now_ = 0;
};

}  // namespace q9
