#pragma once
// Named mutexes as locks between programs: owned by the thread that took them, released by that
// thread or, when the process dies, by the system (the next owner sees it abandoned and takes it).

#include <windows.h>

#include <string>

namespace q9 {

enum class NamedMutexResult { Acquired, Busy, Unavailable };

/// Opens or creates the mutex `name` and waits up to `waitMs` to own it; `mutex` holds it then.
inline NamedMutexResult AcquireNamedMutex(const std::wstring& name, DWORD waitMs, HANDLE& mutex, DWORD& error) {
  mutex = nullptr;
  HANDLE handle = CreateMutexW(nullptr, FALSE, name.c_str());
  if (!handle) {
    error = GetLastError();
    return NamedMutexResult::Unavailable;
  }
  const DWORD waited = WaitForSingleObject(handle, waitMs);
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
    mutex = handle;
    return NamedMutexResult::Acquired;
  }
  error = waited == WAIT_TIMEOUT ? ERROR_TIMEOUT : GetLastError();
  CloseHandle(handle);
  return waited == WAIT_TIMEOUT ? NamedMutexResult::Busy : NamedMutexResult::Unavailable;
}

inline void ReleaseNamedMutex(HANDLE& mutex) {
  if (!mutex) return;
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  mutex = nullptr;
}

/// A name part without the backslash, which a kernel object name may not hold after its namespace.
inline std::wstring ObjectNamePart(std::wstring text) {
  for (wchar_t& c : text)
    if (c == L'\\') c = L'_';
  return text;
}

}  // namespace q9
