// q9config: the configuration window of the Q9 Gaming Mouse.
//
//   q9config [--simulate] [--store DIR] [--device-dir DIR] [--collect-texts] [-runauto]
//   q9config --translate [FILE]
//
// --simulate runs a simulated mouse inside the program, so everything works without the mouse.
// --store and --device-dir override where the settings and the driver's socket are looked for.
// While the window runs, the store is marked open in it: q9ctl's writing commands then refuse.
// A second copy ends at once; "-runauto" (an automatic start at logon) shows the window only when
// the start option is on.
//
// --translate opens the translation designer alone on FILE (default: ui.local in the program's
// folder, the file the window reads) and saves to that file. --collect-texts gathers every text the
// window shows into its language component once it is on screen and opens the designer on it; a
// save there writes the program folder's ui.local.

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string_view>

#include "app/ProgramEntry.h"
#include "device/DeviceConfig.h"
#include "gui/QtMouseSettings.h"
#include "gui/QtScheduler.h"
#include "gui/Skin.h"
#include "lang/Languagetranslate.h"
#include "lang/uiLanguage.h"
#include "mainwindow/MainConfig.h"
#include "platform/Backends.h"
#include "platform/Utf8Path.h"
#include "SimulatedMouse.h"

namespace {

struct Options {
  bool simulate = false;
  bool reportShown = false;  ///< prints "shown" once the window is on screen (start-up benchmark)
  bool translate = false;
  bool collectTexts = false;
  std::filesystem::path languageFile;  ///< --translate FILE
  std::filesystem::path store;
  std::filesystem::path deviceFolder;
  std::vector<std::string> programArguments;  ///< the rest, in order, for the program entry
};

constexpr const char* kUsage =
    "usage: q9config [--simulate] [--store DIR] [--device-dir DIR] [--collect-texts] [-runauto]\n"
    "       q9config --translate [FILE]\n"
    "  --simulate        use a simulated mouse inside the program\n"
    "  --store DIR       keep the settings in DIR instead of the user's configuration folder\n"
    "  --device-dir DIR  look for the mouse's driver socket in DIR\n"
    "  --collect-texts   gather the window's texts and open the translation designer on them\n"
    "  --translate       edit FILE (default: ui.local in the program's folder) in the translation designer\n";

// The arguments after the program name, as the system gave them. On POSIX systems a path is a
// string of bytes that need not be UTF-8, and QString would replace such bytes: argv (from which
// QApplication has taken its own options) is used as it is. Windows gives argv in the ANSI code
// page, so there the wide command line Qt read is taken, as UTF-8.
std::vector<std::string> ProgramArguments(int argc, char** argv) {
#ifdef _WIN32
  static_cast<void>(argc);
  static_cast<void>(argv);
  std::vector<std::string> arguments;
  const QStringList all = QApplication::arguments();
  for (qsizetype i = 1; i < all.size(); ++i) arguments.push_back(all[i].toUtf8().toStdString());
  return arguments;
#else
  return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
#endif
}

std::filesystem::path PathArgument(const std::string& argument) {
#ifdef _WIN32
  return q9::PathFromUtf8(argument);
#else
  return std::filesystem::path(argument);
#endif
}

std::optional<Options> ParseOptions(const std::vector<std::string>& arguments) {
  Options options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (argument == "--simulate") {
      options.simulate = true;
    } else if (argument == "--translate") {
      options.translate = true;
      if (hasValue && arguments[i + 1].rfind('-', 0) != 0) options.languageFile = PathArgument(arguments[++i]);
    } else if (argument == "--collect-texts") {
      options.collectTexts = true;
    } else if (argument == "--report-shown") {
      options.reportShown = true;
    } else if (argument == "--store" && hasValue) {
      options.store = PathArgument(arguments[++i]);
    } else if (argument == "--device-dir" && hasValue) {
      options.deviceFolder = PathArgument(arguments[++i]);
    } else if (argument.rfind("--", 0) == 0) {
      std::cerr << "q9config: unknown option or missing value: " << argument << "\n";
      return std::nullopt;
    } else {
      options.programArguments.push_back(argument);
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

std::filesystem::path ProgramFolder() { return QCoreApplication::applicationDirPath().toStdString(); }

int RunDesigner(const Options& options) {
  const std::unique_ptr<q9::SystemLocale> locale = q9::MakeSystemLocale();
  const std::filesystem::path file =
      options.languageFile.empty() ? ProgramFolder() / q9::kLanguageFileName : options.languageFile;
  q9::TuiLanguageDesignForm designer(*locale, file);
  designer.show();
  return QApplication::exec();
}

// The collection run on the window's language component, once the window is on screen.
void CollectTextsWhenShown(q9::TqvGMConfigMain& window, const q9::SystemLocale& locale,
                           const std::filesystem::path& programFolder) {
  QTimer::singleShot(0, &window, [&window, &locale, programFolder] {
    window.uiLanguage1().RunCollection([&](q9::TuiLanguage& language) {
      q9::TuiLanguageDesignForm designer(locale, programFolder / q9::kLanguageFileName, &window);
      designer.LoadLanguageAndCreateTranslateTabList(language);
      designer.exec();
    });
  });
}

int RunWindow(q9::TDM& DM, const Options& options, const q9::SystemLocale& locale) {
  q9::QtScheduler scheduler;
  const std::filesystem::path programFolder = ProgramFolder();
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
  const std::unique_ptr<q9::SystemMouseSettingsChain> mouseSettings = q9::MakeSystemMouseSettings();
  mouseSettings->Add(std::make_unique<q9::QtMouseSettings>());
  // Loaded only when a recording dialog opens; the program's folder is on the loader's search path.
  const q9::HookBackend hook = q9::MakeHookBackend();

  q9::TqvGMConfigMain window({DM, scheduler, *transport, *messaging, *shell, locale, programFolder, notifications.get(),
                              {}, {}, mouseSettings.get(), hook.library.get(), hook.keyState.get()});
  ShownReporter reporter;
  if (options.reportShown) window.installEventFilter(&reporter);
  window.show();
  if (options.collectTexts) CollectTextsWhenShown(window, locale, programFolder);
  const int exitCode = QApplication::exec();
  // The pointer settings of a last apply may still be on their way to the system.
  q9::TuiThread::WaitForWorkers(5000);
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  // The usage needs no display: asked for, it is given before the toolkit looks for one.
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
      std::cout << kUsage;
      return 0;
    }
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("q9config");
  const std::optional<Options> options = ParseOptions(ProgramArguments(argc, argv));
  if (!options) {
    std::cerr << kUsage;
    return 2;
  }
  q9::skin::ApplySkin(app);
  if (options->translate) return RunDesigner(*options);
  // The window's artwork is drawn on another core while the settings load and the window is built.
  const q9::skin::ArtworkPreparation artwork(
      QSize(q9::TqvGMConfigMain::kClientWidth, q9::TqvGMConfigMain::kClientHeight), app.devicePixelRatio());

  const std::unique_ptr<q9::SingleInstanceLock> lock = q9::MakeSingleInstanceLock();
  std::unique_ptr<q9::RegistryStore> store;
  std::unique_ptr<q9::StoreLock> storeLock;
  try {
    store = q9::MakeRegistryStore(options->store);
    storeLock = q9::MakeStoreLock(options->store);
  } catch (const std::exception& e) {
    std::cerr << "q9config: " << e.what() << "\n";
    return 1;
  }
  const std::unique_ptr<q9::SystemLocale> locale = q9::MakeSystemLocale();
  const auto warn = [](const std::string& text) { std::cerr << "q9config: " << text << "\n"; };
  const q9::ProgramResult result =
      q9::RunProgram(options->programArguments, {*lock, *store, *locale, storeLock.get(), warn},
                     [&](q9::TDM& DM) { return RunWindow(DM, *options, *locale); });
  if (!result.message.empty()) std::cerr << "q9config: " << result.message << "\n";
  return result.exitCode;
}
