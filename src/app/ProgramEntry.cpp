#include "app/ProgramEntry.h"

namespace q9 {

bool ShouldShowMainWindow(const std::vector<std::string>& arguments, const TALLPROFILESETTINGINFO& settings) {
  const bool autoStart = !arguments.empty() && arguments.front() == kAutoStartArgument;
  return !autoStart || settings.ReservedData.IntegerData[kSlotStartWithWindows] != 0;
}

ProgramResult RunProgram(const std::vector<std::string>& arguments, const ProgramServices& services,
                         const MainWindowRunner& runMainWindow) {
  // Without a lock service the program still runs, unguarded.
  if (services.lock.TryAcquire(kSingleInstanceName) == LockResult::HeldElsewhere)
    return {ProgramOutcome::AlreadyRunning, 0};
  const std::unique_ptr<TDM> DM = CreateDataModule(services.store, services.locale);
  if (!ShouldShowMainWindow(arguments, DM->FAllProfileSettingInfo)) {
    services.lock.Release();
    return {ProgramOutcome::AutoStartHidden, 0};
  }
  const int exitCode = runMainWindow ? runMainWindow(*DM) : 0;
  services.lock.Release();
  return {ProgramOutcome::WindowClosed, exitCode};
}

}  // namespace q9
