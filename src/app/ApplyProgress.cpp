#include "app/ApplyProgress.h"

namespace q9 {

ApplyProgress::~ApplyProgress() {
  Stop(timer_);
  Stop(closeTimer_);
}

void ApplyProgress::Stop(Scheduler::TimerId& timer) {
  if (timer) scheduler_.StopTimer(timer);
  timer = 0;
}

void ApplyProgress::Restart(int intervalMs) {
  Stop(timer_);
  interval_ = intervalMs;
  timer_ = scheduler_.StartTimer(intervalMs, true, [this] { Tick(); });
}

void ApplyProgress::Start(int intervalMs) {
  Restart(intervalMs);
  visible_ = true;
  if (OnChanged) OnChanged();
}

void ApplyProgress::Tick() {
  if (value_ == 90) {
    Restart(kWaitAt91Ms);
    value_ += 1;
  } else {
    value_ += 10;
    if (value_ >= 100) {
      Stop(timer_);
      visible_ = false;
      value_ = 0;
    }
  }
  if (OnChanged) OnChanged();
  if (ProcessMessages) ProcessMessages();
}

void ApplyProgress::CloseWhenHidden(std::function<void()> close) {
  Stop(closeTimer_);
  closeTimer_ = scheduler_.StartTimer(kCloseCheckMs, true, [this, close = std::move(close)] {
    if (visible_) return;
    Stop(closeTimer_);
    if (close) close();
  });
}

}  // namespace q9
