// The window's apply through the driver socket to a served mouse that is slow, silent or unplugged
// part way: the event loop keeps running while a frame waits for its answer, and each failure is
// told in the window's words.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>

#include "DialogAnswerer.h"
#include "SimServer.h"
#include "mainwindow/MainConfig.h"
#include "platform/fake/FakeDeviceNotifications.h"
#include "platform/fake/FakeRegistryStore.h"
#include "platform/fake/FakeShell.h"
#include "platform/fake/FakeSystemLocale.h"
#include "platform/fake/FakeWindowMessaging.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/posix/PosixDriverTransport.h"

using namespace q9;
using test::DialogAnswerer;

namespace {

// Marks the time a control call is under way, whichever thread makes it.
class WatchedConnection : public DriverConnection {
 public:
  WatchedConnection(std::unique_ptr<DriverConnection> inner, std::atomic<int>& calls) : inner_(std::move(inner)), calls_(calls) {}
  std::uint32_t Control(std::uint32_t code, std::uint8_t* buffer, std::uint32_t count) override {
    ++calls_;
    const std::uint32_t status = inner_->Control(code, buffer, count);
    --calls_;
    return status;
  }
  std::uint32_t Read(std::uint32_t code, const std::uint8_t* in, std::uint32_t inLength, std::uint8_t* out,
                     std::uint32_t outLength, std::uint32_t& bytesRead) override {
    return inner_->Read(code, in, inLength, out, outLength, bytesRead);
  }
  void Cancel() override { inner_->Cancel(); }

 private:
  std::unique_ptr<DriverConnection> inner_;
  std::atomic<int>& calls_;
};

class WatchedTransport : public DriverTransport {
 public:
  explicit WatchedTransport(std::filesystem::path folder) : inner_(std::move(folder)) {}
  std::unique_ptr<DriverConnection> Open(const std::string& deviceName, bool overlapped) override {
    std::unique_ptr<DriverConnection> connection = inner_.Open(deviceName, overlapped);
    if (!connection) return nullptr;
    return std::make_unique<WatchedConnection>(std::move(connection), callsUnderWay);
  }
  std::atomic<int> callsUnderWay{0};

 private:
  PosixDriverTransport inner_;
};

}  // namespace

class ServedMouseWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void theWindowKeepsItsEventsRunningWhileASlowMouseAnswers();
  void aSilentMouseEndsTheApplyWithTheTimeOutAndTheWindowStaysAlive();
  void aMouseUnpluggedMidApplyIsToldAndTheNextApplyGoesThrough();

 private:
  void Serve(SimServerOptions options);
  void StopServing();
  TqvGMConfigMain& MakeWindow();

  std::unique_ptr<QTemporaryDir> folder_;
  std::filesystem::path deviceFolder_;
  FakeRegistryStore store_;
  FakeSystemLocale locale_;
  ManualScheduler scheduler_;
  FakeWindowMessaging messaging_;
  FakeShell shell_;
  FakeDeviceNotifications notifications_;
  std::unique_ptr<TDM> dm_;
  std::unique_ptr<WatchedTransport> transport_;
  std::unique_ptr<SimulatedMouse> mouse_;
  std::unique_ptr<SimServer> server_;
  std::thread serving_;
  std::unique_ptr<TqvGMConfigMain> window_;
};

void ServedMouseWindowTest::init() {
  folder_ = std::make_unique<QTemporaryDir>();
  const std::filesystem::path folder = folder_->path().toStdString();
  const std::filesystem::path data = Q9_SOURCE_DATA;
  std::filesystem::copy_file(data / "ui.local", folder / "ui.local");
  std::filesystem::copy_file(data / "config.ini", folder / "config.ini");
  deviceFolder_ = folder / "device";
  std::filesystem::create_directory(deviceFolder_);
  dm_ = CreateDataModule(store_, locale_);
  transport_ = std::make_unique<WatchedTransport>(deviceFolder_);
}

void ServedMouseWindowTest::cleanup() {
  window_.reset();
  StopServing();
  dm_.reset();
}

void ServedMouseWindowTest::Serve(SimServerOptions options) {
  StopServing();
  options.deviceFolder = deviceFolder_;
  mouse_ = std::make_unique<SimulatedMouse>();
  server_ = std::make_unique<SimServer>(*mouse_, options);
  std::string error;
  QVERIFY2(server_->Start(error), error.c_str());
  serving_ = std::thread([this] { server_->Run(); });
}

void ServedMouseWindowTest::StopServing() {
  if (server_) server_->Stop();
  if (serving_.joinable()) serving_.join();
  server_.reset();
}

// The window's own pauses: its event loop runs for the time given, as in the program.
TqvGMConfigMain& ServedMouseWindowTest::MakeWindow() {
  MainWindowServices services{*dm_, scheduler_, *transport_, messaging_, shell_, locale_, folder_->path().toStdString(),
                              &notifications_, {}, {}};
  services.terminate = [] {};
  window_ = std::make_unique<TqvGMConfigMain>(std::move(services));
  window_->show();
  return *window_;
}

// Each frame waits 150 ms for its answer, well inside the channel's time-out. A timer of the window's
// thread must fire while a call is under way: it cannot when the call holds the thread.
void ServedMouseWindowTest::theWindowKeepsItsEventsRunningWhileASlowMouseAnswers() {
  SimServerOptions options;
  options.replyDelayMs = 150;
  Serve(options);
  TqvGMConfigMain& window = MakeWindow();
  int ticks = 0;
  int ticksDuringCalls = 0;
  qint64 longestGapMs = 0;  // reported, not asserted: the figure depends on the machine
  QElapsedTimer sinceTick;
  sinceTick.start();
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    ++ticks;
    if (transport_->callsUnderWay > 0) ++ticksDuringCalls;
    longestGapMs = std::max(longestGapMs, sinceTick.restart());
  });
  timer.start(10);
  DialogAnswerer answerer({"BtnOK"});
  QVERIFY(window.BSBTNAPPLYClick());
  QCOMPARE(answerer.texts, QStringList{});
  QCOMPARE(int(mouse_->CurrentState().frames), 19);
  qInfo("10 ms timer during the apply: %d ticks, %d of them while a frame waited for its answer; longest gap %lld ms",
        ticks, ticksDuringCalls, static_cast<long long>(longestGapMs));
  QVERIFY2(ticksDuringCalls > 0, "the window's events stood still while every frame waited for its answer");
}

void ServedMouseWindowTest::aSilentMouseEndsTheApplyWithTheTimeOutAndTheWindowStaysAlive() {
  SimServerOptions options;
  options.replyDelayMs = SimServerOptions::kNeverAnswer;
  Serve(options);
  TqvGMConfigMain& window = MakeWindow();
  int ticksDuringCalls = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ticksDuringCalls += transport_->callsUnderWay > 0; });
  timer.start(10);
  DialogAnswerer answerer({"BtnOK"});
  QVERIFY(!window.BSBTNAPPLYClick());
  QCOMPARE(answerer.texts,
           QStringList{"The settings did not reach the mouse.\nThe mouse stopped answering: 0 of 19 frames went through."});
  QCOMPARE(int(mouse_->CurrentState().frames), 1);  // the first frame was taken, its answer never came
  QVERIFY2(ticksDuringCalls > 0, "the window's events stood still for the whole time-out");
  QVERIFY(window.isVisible());
  QVERIFY(window.findChild<QPushButton*>("BSBTNAPPLY")->isEnabled());
}

void ServedMouseWindowTest::aMouseUnpluggedMidApplyIsToldAndTheNextApplyGoesThrough() {
  SimServerOptions options;
  options.unplugAfter = 7;
  Serve(options);
  TqvGMConfigMain& window = MakeWindow();
  DialogAnswerer answerer({"BtnOK"});
  QVERIFY(!window.BSBTNAPPLYClick());
  QCOMPARE(answerer.texts, QStringList{"The settings did not reach the mouse.\n12 of 19 frames did not reach the mouse."});
  QVERIFY(!std::filesystem::exists(deviceFolder_ / "usbglcs00001"));  // the served mouse is gone
  // Plugged in again (the same memory): the whole apply goes through.
  const std::vector<std::uint8_t> image = mouse_->SaveImage();
  Serve({});
  QVERIFY(mouse_->LoadImage(image));
  QVERIFY(window.BSBTNAPPLYClick());
  QCOMPARE(answerer.texts.size(), 1);
  QCOMPARE(int(mouse_->CurrentState().frames), 7 + 19);
}

QTEST_MAIN(ServedMouseWindowTest)
#include "ServedMouseWindowTest.moc"
