#include "app/ProgramEntry.h"

namespace q9 {

bool ShouldShowMainWindow(const std::vector<std::string>& arguments, const TALLPROFILESETTINGINFO& settings) {
  const bool autoStart = !arguments.empty() && arguments.front() == kAutoStartArgument;
  return !autoStart || settings.ReservedData.IntegerData[kSlotStartWithWindows] != 0;
}

namespace {

// The settings are read under the store lock, so that a q9ctl writing at that moment is waited for;
// the window mark then tells q9ctl that the window works on this store. A store without locks
// (read-only, say) is used unguarded.
bool EnterStore(StoreLock* storeLock, std::string& message) {
  if (!storeLock) return true;
  std::string error;
  if (storeLock->Lock(StoreLockMode::Exclusive, kStoreLockWaitMs, error) == StoreLockResult::Busy) {
    message = "the settings store " + storeLock->StoreName() + " is busy (another program is writing to it)";
    return false;
  }
  storeLock->HoldWindowMark(error);
  return true;
}

void LeaveStore(StoreLock* storeLock) {
  if (storeLock) storeLock->ReleaseWindowMark();
}

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& arguments, const ProgramServices& services,
                         const MainWindowRunner& runMainWindow) {
  // Without a lock service the program still runs, unguarded.
  switch (services.lock.TryAcquire(kSingleInstanceName)) {
    case LockResult::HeldElsewhere:
      return {ProgramOutcome::AlreadyRunning, 0, {}};
    case LockResult::Unsafe:
      return {ProgramOutcome::LockUnsafe, 1, "cannot check for another copy: " + services.lock.LastError()};
    case LockResult::Acquired:
    case LockResult::Unavailable:
      break;
  }
  std::string message;
  if (!EnterStore(services.storeLock, message)) {
    services.lock.Release();
    return {ProgramOutcome::StoreBusy, 1, message};
  }
  const std::unique_ptr<TDM> DM = CreateDataModule(services.store, services.locale);
  if (services.storeLock) services.storeLock->Unlock();
  if (!ShouldShowMainWindow(arguments, DM->FAllProfileSettingInfo)) {
    LeaveStore(services.storeLock);
    services.lock.Release();
    return {ProgramOutcome::AutoStartHidden, 0, {}};
  }
  const int exitCode = runMainWindow ? runMainWindow(*DM) : 0;
  LeaveStore(services.storeLock);
  services.lock.Release();
  return {ProgramOutcome::WindowClosed, exitCode, {}};
}

}  // namespace q9
