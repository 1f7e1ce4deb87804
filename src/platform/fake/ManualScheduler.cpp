#include "platform/fake/ManualScheduler.h"

#include <limits>

namespace q9 {

Scheduler::TimerId ManualScheduler::StartTimer(int intervalMs, bool repeating, std::function<void()> tick) {
  const TimerId id = next_++;
  timers_[id] = Timer{intervalMs, repeating, now_ + intervalMs, std::move(tick)};
  return id;
}

void ManualScheduler::StopTimer(TimerId id) { timers_.erase(id); }

void ManualScheduler::Advance(int ms) {
  const int end = now_ + ms;
  for (;;) {
    TimerId dueId = 0;
    int dueAt = std::numeric_limits<int>::max();
    for (const auto& [id, timer] : timers_)
      if (timer.due <= end && timer.due < dueAt) {
        dueAt = timer.due;
        dueId = id;
      }
    if (!dueId) break;
    now_ = dueAt;
    Timer& timer = timers_[dueId];
    std::function<void()> tick = timer.tick;
    if (timer.repeating) timer.due += std::max(timer.interval, 1);
    else timers_.erase(dueId);
    tick();
  }
  now_ = end;
}

void ManualScheduler::Post(std::function<void()> work) {
  std::lock_guard lock(postedMutex_);
  posted_.push_back(std::move(work));
}

void ManualScheduler::RunPosted() {
  for (;;) {
    std::function<void()> work;
    {
      std::lock_guard lock(postedMutex_);
      if (posted_.empty()) return;
      work = std::move(posted_.front());
      posted_.erase(posted_.begin());
    }
    work();
  }
}

std::size_t ManualScheduler::PostedCount() {
  std::lock_guard lock(postedMutex_);
  return posted_.size();
}

}  // namespace q9
