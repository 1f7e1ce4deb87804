// The pause of the GUI thread: it lasts at least as long as asked and the events keep running.

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include "gui/EventLoopPause.h"

using namespace q9;

class EventLoopPauseTest : public QObject {
  Q_OBJECT

 private slots:
  void neverEndsEarly() {
    for (int milliseconds : {1, 2, 5, 20, 50}) {
      QElapsedTimer clock;
      clock.start();
      RunEventsFor(milliseconds);
      QVERIFY2(clock.nsecsElapsed() >= qint64(milliseconds) * 1000000, qPrintable(QString::number(milliseconds)));
    }
  }

  void eventsRunThroughoutThePause() {
    // Posted work runs, and a timer keeps ticking while the pause lasts.
    bool posted = false;
    QTimer::singleShot(0, this, [&] { posted = true; });
    int ticks = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start(1);
    RunEventsFor(30);
    ticker.stop();
    QVERIFY(posted);
    QVERIFY(ticks >= 2);
  }

  void aPauseOfNothingStillRunsThePendingEvents() {
    for (int milliseconds : {0, -5}) {
      bool posted = false;
      QTimer::singleShot(0, this, [&] { posted = true; });
      RunEventsFor(milliseconds);
      QVERIFY(posted);
    }
  }
};

QTEST_MAIN(EventLoopPauseTest)
#include "EventLoopPauseTest.moc"
