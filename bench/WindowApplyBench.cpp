// APPLY pressed in the real window against the simulated mouse, with the window's own pauses (its
// event loop runs through them) and Qt's timers: how long the event loop stood still at most during
// an apply, and the apply's wall time as a ratio to the 1320 ms of pauses the sequence prescribes.
//
// A 1 ms timer runs beside the apply; the longest gap between two of its ticks is the longest time
// the window could not paint or take input. Runs offscreen unless a display is given.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "SimulatedMouse.h"
#include "app/DataModule.h"
#include "gui/QtScheduler.h"
#include "gui/Skin.h"
#include "mainwindow/MainConfig.h"
#include "mainwindow/showdialog.h"
#include "platform/fake/FakeRegistryStore.h"
#include "platform/fake/FakeShell.h"
#include "platform/fake/FakeSystemLocale.h"
#include "platform/fake/FakeWindowMessaging.h"
#include "protocol/ApplySequence.h"

namespace q9 {
namespace {

/// The longest gap between ticks of a 1 ms timer while it runs.
class StallMeter {
 public:
  StallMeter() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  }
  void Start() {
    longestMs_ = 0;
    clock_.start();
    lastMs_ = 0;
    timer_.start();
  }
  double Stop() {
    Tick();
    timer_.stop();
    return longestMs_;
  }

 private:
  void Tick() {
    const double now = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
    longestMs_ = std::max(longestMs_, now - lastMs_);
    lastMs_ = now;
  }

  QTimer timer_;
  QElapsedTimer clock_;
  double lastMs_ = 0;
  double longestMs_ = 0;
};

struct WindowOnSimulatedMouse {
  WindowOnSimulatedMouse() {
    const std::filesystem::path data = Q9_BENCH_SOURCE_DATA;
    const std::filesystem::path program = folder.path().toStdString();
    std::filesystem::copy_file(data / "ui.local", program / "ui.local");
    std::filesystem::copy_file(data / "config.ini", program / "config.ini");
    dm = CreateDataModule(store, locale);
    window = std::make_unique<TqvGMConfigMain>(
        MainWindowServices{*dm, scheduler, transport, messaging, shell, locale, program, nullptr, {}, {}});
    // A dialog would wait for an answer nobody gives: it is answered at once and the run fails.
    MessageDialogCreated = [this](QWidget* dialog) {
      ++dialogs;
      QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog*>(dialog)->reject(); });
    };
    window->show();
    QCoreApplication::processEvents();
  }

  QTemporaryDir folder;
  FakeRegistryStore store;
  FakeSystemLocale locale;
  QtScheduler scheduler;
  SimulatedMouse mouse;
  SimulatedDriverTransport transport{mouse};
  FakeWindowMessaging messaging;
  FakeShell shell;
  std::unique_ptr<TDM> dm;
  std::unique_ptr<TqvGMConfigMain> window;
  int dialogs = 0;
};

void BM_WindowApply(benchmark::State& state) {
  WindowOnSimulatedMouse bench;
  StallMeter meter;
  double longestStall = 0;
  double total = 0;
  double worst = 0;
  for (auto _ : state) {
    meter.Start();
    QElapsedTimer clock;
    clock.start();
    const bool applied = bench.window->BSBTNAPPLYClick();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    longestStall = std::max(longestStall, meter.Stop());
    if (!applied || bench.dialogs != 0) {
      state.SkipWithError("the apply did not reach the simulated mouse");
      break;
    }
    state.SetIterationTime(seconds);
    total += seconds;
    worst = std::max(worst, seconds);
    // Let the progress display finish before the next apply.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 1500) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  const double pauses = kApplyPauseTotalMs / 1000.0;
  state.counters["longest_stall_ms"] = longestStall;
  state.counters["ratio_mean"] = total / static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1)) / pauses;
  state.counters["ratio_worst"] = worst / pauses;
}
BENCHMARK(BM_WindowApply)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace q9

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  q9::skin::ApplySkin(app);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
