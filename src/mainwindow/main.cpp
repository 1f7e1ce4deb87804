// q9config: the configuration window of the Q9 Gaming Mouse.
//
//   q9config [--simulate] [--store DIR] [--device-dir DIR] [-runauto]
//
// --simulate runs a simulated mouse inside the program, so everything works without the mouse.
// --store and --device-dir override where the settings and the driver's socket are looked for.
// A second copy ends at once; "-runauto" (an automatic start at logon) shows the window only when
// the start option is on.

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <optional>

#include "app/ProgramEntry.h"
#include "device/DeviceConfig.h"
#include "gui/QtScheduler.h"
#include "gui/Skin.h"
#include "mainwindow/MainConfig.h"
#include "platform/Backends.h"
#include "SimulatedMouse.h"

namespace {

struct Options {
  bool help = false;
  bool simulate = false;
  bool reportShown = false;  ///< prints "shown" once the window is on screen (start-up benchmark)
  std::filesystem::path store;
  std::filesystem::path deviceFolder;
  std::vector<std::string> programArguments;  ///< the rest, in order, for the program entry
};

constexpr const char* kUsage =
    "usage: q9config [--simulate] [--store DIR] [--device-dir DIR] [-runauto]\n"
    "  --simulate        use a simulated mouse inside the program\n"
    "  --store DIR       keep the settings in DIR instead of the user's configuration folder\n"
    "  --device-dir DIR  look for the mouse's driver socket in DIR\n";

std::optional<Options> ParseOptions(const QStringList& arguments) {
  Options options;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (argument == "--simulate") {
      options.simulate = true;
    } else if (argument == "--report-shown") {
      options.reportShown = true;
    } else if (argument == "--store" && hasValue) {
      options.store = arguments[++i].toStdString();
    } else if (argument == "--device-dir" && hasValue) {
      options.deviceFolder = arguments[++i].toStdString();
    } else if (argument == "--help" || argument == "-h") {
      options.help = true;
    } else if (argument.startsWith("--")) {
      std::cerr << "q9config: unknown option or missing value: " << argument.toStdString() << "\n";
      return std::nullopt;
    } else {
      options.programArguments.push_back(argument.toStdString());
    }
  }
  return options;
}

/// Prints "shown" once the window has been painted for the first time.
class ShownReporter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, [] {
        std::fputs("shown\n", stdout);
        std::fflush(stdout);
      });
    }
    return false;
  }
};

int RunWindow(q9::TDM& DM, const Options& options, const q9::SystemLocale& locale) {
  q9::QtScheduler scheduler;
  const std::filesystem::path programFolder = QCoreApplication::applicationDirPath().toStdString();
  const q9::DeviceConfig config = q9::LoadDeviceConfig(programFolder / q9::kConfigFileName);

  q9::SimulatedMouse mouse;
  std::unique_ptr<q9::DriverTransport> transport;
  std::unique_ptr<q9::DeviceNotifications> notifications;
  if (options.simulate) {
    transport = std::make_unique<q9::SimulatedDriverTransport>(mouse);
  } else {
    transport = q9::MakeDriverTransport(options.deviceFolder);
    notifications = q9::MakeDeviceNotifications(scheduler, options.deviceFolder, config.driverInfo.DeviceName);
  }
  const std::unique_ptr<q9::WindowMessaging> messaging = q9::MakeWindowMessaging();
  const std::unique_ptr<q9::Shell> shell = q9::MakeShell();

  q9::TqvGMConfigMain window(
      {DM, scheduler, *transport, *messaging, *shell, locale, programFolder, notifications.get(), {}, {}});
  ShownReporter reporter;
  if (options.reportShown) window.installEventFilter(&reporter);
  window.show();
  return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("q9config");
  const std::optional<Options> options = ParseOptions(QApplication::arguments());
  if (!options || options->help) {
    (options ? std::cout : std::cerr) << kUsage;
    return options ? 0 : 2;
  }
  q9::skin::ApplySkin(app);

  const std::unique_ptr<q9::SingleInstanceLock> lock = q9::MakeSingleInstanceLock();
  const std::unique_ptr<q9::RegistryStore> store = q9::MakeRegistryStore(options->store);
  const std::unique_ptr<q9::SystemLocale> locale = q9::MakeSystemLocale();
  const q9::ProgramResult result = q9::RunProgram(options->programArguments, {*lock, *store, *locale},
                                                  [&](q9::TDM& DM) { return RunWindow(DM, *options, *locale); });
  return result.exitCode;
}
