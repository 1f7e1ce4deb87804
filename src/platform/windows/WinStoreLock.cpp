#include "platform/windows/WinStoreLock.h"

#include <windows.h>

#include <cstdint>
#include <cwctype>

#include "platform/Utf8Path.h"
#include "platform/windows/WinNamedMutex.h"
#include "platform/windows/WinText.h"

namespace q9 {

namespace {

std::wstring UserName() {
  wchar_t name[257] = {};
  DWORD size = static_cast<DWORD>(std::size(name));
  return GetUserNameW(name, &size) ? ObjectNamePart(name) : L"unknown";
}

// FNV-1a over the UTF-16 text: the same in every build, unlike std::hash.
std::wstring HashOf(const std::wstring& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const wchar_t c : text) {
    hash ^= static_cast<std::uint16_t>(c);
    hash *= 1099511628211ull;
  }
  wchar_t digits[17] = {};
  swprintf(digits, std::size(digits), L"%016llx", static_cast<unsigned long long>(hash));
  return digits;
}

std::wstring StoreKey(const std::filesystem::path& storeFolder) {
  if (storeFolder.empty()) return L"registry";
  std::error_code ec;
  std::wstring path = std::filesystem::absolute(storeFolder, ec).lexically_normal().wstring();
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  for (wchar_t& c : path) c = static_cast<wchar_t>(std::towlower(c));
  return HashOf(path);
}

}  // namespace

WinStoreLock::WinStoreLock(std::filesystem::path storeFolder)
    : storeFolder_(std::move(storeFolder)), storeKey_(UserName() + L"-" + StoreKey(storeFolder_)) {}

WinStoreLock::~WinStoreLock() {
  ReleaseWindowMark();
  Unlock();
}

std::wstring WinStoreLock::StoreMutexName() const { return L"Local\\q9-store-" + storeKey_; }

std::wstring WinStoreLock::WindowMutexName() const { return L"Local\\q9-window-" + storeKey_; }

std::string WinStoreLock::StoreName() const {
  return storeFolder_.empty() ? "HKEY_CURRENT_USER (the registry)" : Utf8FromPath(storeFolder_);
}

StoreLockResult WinStoreLock::Lock(StoreLockMode, int waitMs, std::string& error) {
  Unlock();
  HANDLE mutex = nullptr;
  DWORD code = 0;
  switch (AcquireNamedMutex(StoreMutexName(), static_cast<DWORD>(waitMs), mutex, code)) {
    case NamedMutexResult::Acquired:
      storeMutex_ = mutex;
      return StoreLockResult::Acquired;
    case NamedMutexResult::Busy:
      return StoreLockResult::Busy;
    case NamedMutexResult::Unavailable:
      break;
  }
  error = "cannot create the lock of " + StoreName() + ": " + Win32ErrorText(code);
  return StoreLockResult::Unavailable;
}

void WinStoreLock::Unlock() {
  HANDLE mutex = static_cast<HANDLE>(storeMutex_);
  ReleaseNamedMutex(mutex);
  storeMutex_ = nullptr;
}

StoreLockResult WinStoreLock::HoldWindowMark(std::string& error) {
  if (windowMutex_) return StoreLockResult::Acquired;
  HANDLE mark = CreateMutexW(nullptr, FALSE, WindowMutexName().c_str());
  if (!mark) {
    error = "cannot create the window mark of " + StoreName() + ": " + Win32ErrorText(GetLastError());
    return StoreLockResult::Unavailable;
  }
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mark);
    return StoreLockResult::Busy;
  }
  windowMutex_ = mark;
  return StoreLockResult::Acquired;
}

void WinStoreLock::ReleaseWindowMark() {
  if (!windowMutex_) return;
  CloseHandle(static_cast<HANDLE>(windowMutex_));
  windowMutex_ = nullptr;
}

bool WinStoreLock::WindowMarkHeldElsewhere() {
  if (windowMutex_) return false;
  HANDLE mark = OpenMutexW(SYNCHRONIZE, FALSE, WindowMutexName().c_str());
  if (!mark) return false;
  CloseHandle(mark);
  return true;
}

}  // namespace q9
