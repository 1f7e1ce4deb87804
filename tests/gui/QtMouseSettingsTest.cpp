// The program's own pointer settings in Qt's style hints, set on the GUI thread even when the call
// comes from a worker.

#include <QGuiApplication>
#include <QStyleHints>
#include <QThread>
#include <QtTest>
#include <memory>
#include <thread>

#include "gui/QtMouseSettings.h"

using namespace q9;

class QtMouseSettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(400);
    QGuiApplication::styleHints()->setWheelScrollLines(3);
  }

  void callsOnTheGuiThreadLandAtOnce() {
    QtMouseSettings settings;
    settings.SetDoubleClickTime(250);
    settings.SetWheelScrollLines(7);
    QCOMPARE(QGuiApplication::styleHints()->mouseDoubleClickInterval(), 250);
    QCOMPARE(QGuiApplication::styleHints()->wheelScrollLines(), 7);
  }

  void workerCallsLandOnTheGuiThread() {
    QtMouseSettings settings;
    QThread* changedOn = nullptr;
    QObject watcher;
    connect(QGuiApplication::styleHints(), &QStyleHints::mouseDoubleClickIntervalChanged, &watcher,
            [&] { changedOn = QThread::currentThread(); }, Qt::DirectConnection);
    std::thread worker([&] {
      settings.SetDoubleClickTime(900);
      settings.SetWheelScrollLines(10);
    });
    worker.join();
    QTRY_COMPARE(QGuiApplication::styleHints()->mouseDoubleClickInterval(), 900);
    QTRY_COMPARE(QGuiApplication::styleHints()->wheelScrollLines(), 10);
    QCOMPARE(changedOn, QThread::currentThread());
  }

  void workerCallsAfterTheObjectIsGoneAreDropped() {
    auto settings = std::make_unique<QtMouseSettings>();
    std::thread worker([&] { settings->SetDoubleClickTime(700); });
    worker.join();
    settings.reset();
    QTest::qWait(20);
    QCOMPARE(QGuiApplication::styleHints()->mouseDoubleClickInterval(), 400);
  }
};

QTEST_MAIN(QtMouseSettingsTest)
#include "QtMouseSettingsTest.moc"
