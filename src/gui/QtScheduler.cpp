#include "gui/QtScheduler.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

namespace q9 {

QtScheduler::QtScheduler(QObject* parent) : QObject(parent) {}

QtScheduler::~QtScheduler() {
  for (auto& [id, timer] : timers_) delete timer;
}

Scheduler::TimerId QtScheduler::StartTimer(int intervalMs, bool repeating, std::function<void()> tick) {
  const TimerId id = nextId_++;
  auto* timer = new QTimer(this);
  timer->setInterval(intervalMs);
  timer->setSingleShot(!repeating);
  timers_[id] = timer;
  connect(timer, &QTimer::timeout, this, [this, id, repeating, tick = std::move(tick)] {
    // A one-shot timer is finished before its callback runs, so the callback may start it anew.
    if (!repeating) StopTimer(id);
    tick();
  });
  timer->start();
  return id;
}

void QtScheduler::StopTimer(TimerId id) {
  const auto found = timers_.find(id);
  if (found == timers_.end()) return;
  found->second->stop();
  // The timer may be the sender of the signal running now.
  found->second->deleteLater();
  timers_.erase(found);
}

void QtScheduler::Post(std::function<void()> work) {
  QMetaObject::invokeMethod(this, [work = std::move(work)] { work(); }, Qt::QueuedConnection);
}

BlockingDispatcher::BlockingDispatcher(QObject* context) : context_(context), thread_(context->thread()) {}

std::intptr_t BlockingDispatcher::Run(const std::function<std::intptr_t()>& work) {
  if (QThread::currentThread() == thread_) return work();
  struct Call {
    std::intptr_t result = 0;
    bool finished = false;
  };
  auto call = std::make_shared<Call>();
  std::shared_ptr<Shared> shared = shared_;
  {
    const std::lock_guard lock(shared->mutex);
    if (shared->abandoned) return 0;
  }
  // `work` lives on this thread's stack: the GUI thread runs it only while this call still waits,
  // which is until it finished or the dispatcher was abandoned (on the GUI thread, so never during it).
  QMetaObject::invokeMethod(
      context_,
      [shared, call, &work] {
        {
          const std::lock_guard lock(shared->mutex);
          if (shared->abandoned) return;
        }
        const std::intptr_t result = work();
        const std::lock_guard lock(shared->mutex);
        call->result = result;
        call->finished = true;
        shared->changed.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(shared->mutex);
  shared->changed.wait(lock, [&] { return call->finished || shared->abandoned; });
  return call->finished ? call->result : 0;
}

void BlockingDispatcher::Abandon() {
  const std::lock_guard lock(shared_->mutex);
  shared_->abandoned = true;
  shared_->changed.notify_all();
}

WindowMessaging::Dispatch BlockingDispatcher::AsDispatch() {
  return [this](const std::function<std::intptr_t()>& work) { return Run(work); };
}

}  // namespace q9
