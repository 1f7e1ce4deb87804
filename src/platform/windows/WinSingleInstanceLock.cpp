#include "platform/windows/WinSingleInstanceLock.h"

#include <windows.h>

#include "platform/windows/WinText.h"

namespace q9 {

namespace {
constexpr DWORD kMutexAllAccess = 0x1F0001;
}

WinSingleInstanceLock::~WinSingleInstanceLock() { Release(); }

LockResult WinSingleInstanceLock::TryAcquire(const std::string& name) {
  if (mutex_) return LockResult::Acquired;
  const std::wstring wideName = WidenUtf8(name);
  if (HANDLE existing = OpenMutexW(kMutexAllAccess, FALSE, wideName.c_str())) {
    CloseHandle(existing);
    return LockResult::HeldElsewhere;
  }
  HANDLE created = CreateMutexW(nullptr, TRUE, wideName.c_str());
  if (!created) return LockResult::Unavailable;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    // Another copy created it between the two calls.
    CloseHandle(created);
    return LockResult::HeldElsewhere;
  }
  mutex_ = created;
  return LockResult::Acquired;
}

void WinSingleInstanceLock::Release() {
  if (!mutex_) return;
  ReleaseMutex(static_cast<HANDLE>(mutex_));
  CloseHandle(static_cast<HANDLE>(mutex_));
  mutex_ = nullptr;
}

}  // namespace q9
