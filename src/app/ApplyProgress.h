#pragma once
// The progress display of an apply and the close-after-OK timer, as the window's two timers drive
// them: TimerProcess adds 10 a tick until 90, waits one second at 91, then hides the bar; Timer2
// (500 ms) closes the window at its first tick after the bar is hidden.

#include <functional>

#include "platform/Scheduler.h"

namespace q9 {

class ApplyProgress {
 public:
  static constexpr int kNormalIntervalMs = 100;
  static constexpr int kRateChangeIntervalMs = 200;
  static constexpr int kWaitAt91Ms = 1000;
  static constexpr int kCloseCheckMs = 500;

  explicit ApplyProgress(Scheduler& scheduler) : scheduler_(scheduler) {}
  ~ApplyProgress();
  ApplyProgress(const ApplyProgress&) = delete;
  ApplyProgress& operator=(const ApplyProgress&) = delete;

  /// (Re)starts TimerProcess with the interval and shows the bar; the value goes on from where it is.
  void Start(int intervalMs);
  /// Starts Timer2: `close` runs at the first tick that finds the bar hidden, then the timer stops.
  void CloseWhenHidden(std::function<void()> close);

  int Value() const { return value_; }
  bool Visible() const { return visible_; }
  int IntervalMs() const { return interval_; }
  bool Running() const { return timer_ != 0; }

  /// Told after every change of value or visibility.
  std::function<void()> OnChanged;
  /// Lets pending window messages run (after every tick).
  std::function<void()> ProcessMessages;

 private:
  void Tick();
  void Restart(int intervalMs);
  void Stop(Scheduler::TimerId& timer);

  Scheduler& scheduler_;
  Scheduler::TimerId timer_ = 0;
  Scheduler::TimerId closeTimer_ = 0;
  int interval_ = kNormalIntervalMs;
  int value_ = 0;
  bool visible_ = false;
};

}  // namespace q9
