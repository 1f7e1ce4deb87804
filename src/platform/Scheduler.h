#pragma once
// Timers and posted work on the GUI thread.
//
// Contract: every callback runs on the thread that owns the scheduler (the GUI thread), never
// inside the call that scheduled it. A stopped timer never fires again; stopping an unknown or
// finished timer does nothing. Post may be called from any thread; the timer calls only from the
// scheduler's own thread.

#include <functional>

namespace q9 {

class Scheduler {
 public:
  using TimerId = int;
  virtual ~Scheduler() = default;
  /// Starts a timer of `intervalMs`; a one-shot timer fires once.
  virtual TimerId StartTimer(int intervalMs, bool repeating, std::function<void()> tick) = 0;
  virtual void StopTimer(TimerId id) = 0;
  /// Runs `work` soon, on the scheduler's thread.
  virtual void Post(std::function<void()> work) = 0;
};

}  // namespace q9
