#pragma once
// The scheduler of the GUI programs: Qt timers and queued calls on the thread that created it.

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "platform/Scheduler.h"
#include "platform/WindowMessaging.h"

class QThread;
class QTimer;

namespace q9 {

class QtScheduler final : public QObject, public Scheduler {
  Q_OBJECT
 public:
  explicit QtScheduler(QObject* parent = nullptr);
  ~QtScheduler() override;

  TimerId StartTimer(int intervalMs, bool repeating, std::function<void()> tick) override;
  void StopTimer(TimerId id) override;
  /// Safe from any thread; `work` runs on the scheduler's thread.
  void Post(std::function<void()> work) override;

  int ActiveTimers() const { return static_cast<int>(timers_.size()); }

 private:
  std::map<TimerId, QTimer*> timers_;
  TimerId nextId_ = 1;
};

/// Hands work from other threads to the thread of a GUI object and waits for its result (the
/// dispatch of WindowMessaging::Listen). Abandon, called on the GUI thread before the calling
/// threads are stopped, makes every waiting and later call return 0 without running its work, so
/// stopping them cannot deadlock on a call the GUI thread will never run.
class BlockingDispatcher {
 public:
  explicit BlockingDispatcher(QObject* context);
  /// On the object's own thread `work` runs at once.
  std::intptr_t Run(const std::function<std::intptr_t()>& work);
  void Abandon();
  WindowMessaging::Dispatch AsDispatch();

 private:
  struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    bool abandoned = false;
  };
  QObject* context_;
  QThread* thread_;
  std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};

}  // namespace q9
