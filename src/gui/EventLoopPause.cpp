#include "gui/EventLoopPause.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <thread>

namespace q9 {

// A Qt timer alone ends a pause up to a millisecond late (the event dispatcher waits in whole
// milliseconds), and an apply has some seventy pauses. So the timer covers all but the last
// millisecond, and the rest passes in sleeps of at most 0.1 ms between runs of the events.
void RunEventsFor(int milliseconds) {
  using namespace std::chrono;
  QElapsedTimer clock;
  clock.start();
  QCoreApplication::processEvents();
  if (milliseconds <= 0) return;
  if (milliseconds > 1) {
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(milliseconds - 1), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
  }
  const nanoseconds end = std::chrono::milliseconds(milliseconds);
  for (nanoseconds elapsed{clock.nsecsElapsed()}; elapsed < end; elapsed = nanoseconds(clock.nsecsElapsed())) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::min<nanoseconds>(microseconds(100), end - elapsed));
  }
}

}  // namespace q9
