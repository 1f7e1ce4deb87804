// The GUI programs' scheduler: timers on the GUI thread, work posted from other threads.

#include <QtTest>
#include <atomic>
#include <thread>

#include "gui/QtScheduler.h"

using namespace q9;

class QtSchedulerTest : public QObject {
  Q_OBJECT

 private slots:
  void oneShotTimersFireOnceAndRepeatingOnesUntilStopped() {
    QtScheduler scheduler;
    int once = 0;
    int repeated = 0;
    scheduler.StartTimer(5, false, [&] { ++once; });
    Scheduler::TimerId repeating = 0;
    repeating = scheduler.StartTimer(5, true, [&] {
      if (++repeated == 3) scheduler.StopTimer(repeating);  // a timer may stop itself
    });
    QTRY_COMPARE(repeated, 3);
    QTest::qWait(50);
    QCOMPARE(once, 1);
    QCOMPARE(repeated, 3);
    QCOMPARE(scheduler.ActiveTimers(), 0);
  }

  void aStoppedTimerNeverFires() {
    QtScheduler scheduler;
    bool fired = false;
    const Scheduler::TimerId id = scheduler.StartTimer(10, false, [&] { fired = true; });
    scheduler.StopTimer(id);
    scheduler.StopTimer(id);  // twice, and an unknown id, do nothing
    scheduler.StopTimer(12345);
    QTest::qWait(40);
    QVERIFY(!fired);
  }

  void workFromOtherThreadsRunsOnTheSchedulersThread() {
    QtScheduler scheduler;
    QThread* ranOn = nullptr;
    std::thread worker([&] { scheduler.Post([&] { ranOn = QThread::currentThread(); }); });
    worker.join();
    QTRY_VERIFY(ranOn != nullptr);
    QCOMPARE(ranOn, QThread::currentThread());
    // Posting never runs the work inside the call.
    bool ran = false;
    scheduler.Post([&] { ran = true; });
    QVERIFY(!ran);
    QTRY_VERIFY(ran);
  }

  void aDispatcherRunsWorkOnItsObjectsThreadAndWaitsForTheResult() {
    QObject context;
    BlockingDispatcher dispatcher(&context);
    QThread* ranOn = nullptr;
    std::atomic<std::intptr_t> result{0};
    std::thread caller([&] {
      result = dispatcher.Run([&] {
        ranOn = QThread::currentThread();
        return std::intptr_t{42};
      });
    });
    QTRY_COMPARE(result.load(), std::intptr_t{42});
    caller.join();
    QCOMPARE(ranOn, QThread::currentThread());
    QCOMPARE(dispatcher.Run([] { return std::intptr_t{7}; }), std::intptr_t{7});  // own thread: at once
  }

  void anAbandonedDispatcherReleasesItsCallersWithoutRunningTheirWork() {
    QObject context;
    BlockingDispatcher dispatcher(&context);
    bool ran = false;
    std::atomic<bool> returned{false};
    std::intptr_t result = -1;
    // The GUI thread is busy (it does not run events) while a call waits, as when the window is
    // being destroyed: abandoning must let the caller go, and the queued work must never run.
    std::thread caller([&] {
      result = dispatcher.Run([&] {
        ran = true;
        return std::intptr_t{1};
      });
      returned = true;
    });
    QThread::msleep(50);
    QVERIFY(!returned);
    dispatcher.Abandon();
    caller.join();
    QCOMPARE(result, std::intptr_t{0});
    QCoreApplication::processEvents();
    QVERIFY(!ran);
    QCOMPARE(dispatcher.Run([] { return std::intptr_t{3}; }), std::intptr_t{3});
    std::thread late([&] { result = dispatcher.Run([] { return std::intptr_t{5}; }); });
    late.join();
    QCOMPARE(result, std::intptr_t{0});
  }
};

QTEST_MAIN(QtSchedulerTest)
#include "QtSchedulerTest.moc"
