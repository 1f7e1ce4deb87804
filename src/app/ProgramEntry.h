#pragma once
// The program's entry as a routine the programs and the tests share: single-instance rule, data
// module creation, the automatic-start rule, the main window and the lock's release.

#include <functional>
#include <string>
#include <vector>

#include "app/DataModule.h"
#include "platform/SingleInstanceLock.h"
#include "platform/StoreLock.h"

namespace q9 {

inline constexpr const char* kSingleInstanceName = "zoGMMouseconfig";
inline constexpr const char* kAutoStartArgument = "-runauto";

struct ProgramServices {
  SingleInstanceLock& lock;
  RegistryStore& store;
  const SystemLocale& locale;
  /// The store's locks: the settings are read under the store lock, and the store is marked open
  /// in a window for the window's whole run. None: unguarded.
  StoreLock* storeLock = nullptr;
  /// Told what went wrong that does not stop the start (one line, for stderr).
  std::function<void(const std::string&)> warn;
};

/// Creates and runs the main window for the data module until it closes; returns the exit code.
using MainWindowRunner = std::function<int(TDM& DM)>;

enum class ProgramOutcome {
  AlreadyRunning,   ///< another copy holds the lock: nothing was read or changed
  AutoStartHidden,  ///< "-runauto" with start-with-Windows off: settings read, no window
  WindowClosed,     ///< the main window ran and closed
  StoreBusy,        ///< another program kept the settings store busy: nothing was read
  LockUnsafe,       ///< the single-instance lock's place could be taken over by another user
};

struct ProgramResult {
  ProgramOutcome outcome;
  int exitCode;
  std::string message;  ///< why the program did not start (StoreBusy, LockUnsafe)
};

/// True when the main window is to be shown for these arguments (program name excluded).
bool ShouldShowMainWindow(const std::vector<std::string>& arguments, const TALLPROFILESETTINGINFO& settings);

/// Runs the program; `arguments` excludes the program name.
ProgramResult RunProgram(const std::vector<std::string>& arguments, const ProgramServices& services,
                         const MainWindowRunner& runMainWindow);

}  // namespace q9
