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
enum class StoreEntry { Busy, Locked, Unguarded };

StoreEntry EnterStore(StoreLock* storeLock, std::string& message) {
  if (!storeLock) return StoreEntry::Unguarded;
  std::string error;
  const StoreLockResult locked = storeLock->Lock(StoreLockMode::Exclusive, kStoreLockWaitMs, error);
  if (locked == StoreLockResult::Busy) {
    message = "the settings store " + storeLock->StoreName() + " is busy (another program is writing to it)";
    return StoreEntry::Busy;
  }
  storeLock->HoldWindowMark(error);
  return locked == StoreLockResult::Acquired ? StoreEntry::Locked : StoreEntry::Unguarded;
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
  const StoreEntry entry = EnterStore(services.storeLock, message);
  if (entry == StoreEntry::Busy) {
    services.lock.Release();
    return {ProgramOutcome::StoreBusy, 1, message};
  }
  if (entry == StoreEntry::Locked && !services.storeLock->WindowMarkHeldElsewhere()) {
    // Under the store's lock, and with no other window on the store, no one else is writing:
    // a temporary file there is what a writer that died left behind.
    const std::string error = RemoveStoreLeftovers(services.store);
    if (!error.empty() && services.warn) services.warn("leftover temporary files stay: " + error);
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
